// One regular expression run over one text by the system's "VBScript.RegExp" automation
// object. The object keeps the engine, the matches and a copy of the text of its last run, so
// that they can be read afterwards in any order. Nothing here reports a failure: a failed COM
// call leaves the empty text or 0 behind it.
#pragma once

#include "com/com.h"
#include "text/text.h"

#include <memory>
#include <optional>

namespace velkari {

// Not to be used by two threads at once. COM must be initialised on the thread that calls
// Create; the engine and its matches are made there.
class RegexObject {
  public:
    // Initialises COM on the constructing thread; the destructor uninitialises it there.
    RegexObject();
    virtual ~RegexObject();
    RegexObject(const RegexObject&) = delete;
    RegexObject& operator=(const RegexObject&) = delete;

    // Another object sharing this one's engine and matches, with a copy of its text.
    virtual std::unique_ptr<RegexObject> Copy() const;
    // Runs `pattern` over `subject`, each absent flag counting as true. True when the run gave
    // a match collection, even an empty one; false when the engine or the run failed.
    virtual bool Create(const Text& pattern, const Text& subject,
                        std::optional<bool> ignoreCase = std::nullopt,
                        std::optional<bool> multiline = std::nullopt,
                        std::optional<bool> global = std::nullopt);
    virtual void EmptyOperation();
    virtual Text GetPattern() const;
    // The last text searched, with the matches of the last pattern replaced.
    virtual Text Replace(const Text& replacement) const;
    virtual int MatchCount() const;
    // Match `index` (1-based); `position`, when given, receives its 0-based byte offset.
    virtual Text MatchText(int index, int* position = nullptr) const;
    // Group `subIndex` of match `matchIndex`, both 1-based; empty for a group that took no part.
    virtual Text SubMatchText(int matchIndex, int subIndex, int* position = nullptr) const;
    // The number of groups of the first match.
    virtual int SubMatchCount() const;

  private:
    ComObject engine_;
    ComObject matches_;
    Text subject_;
};

} // namespace velkari
