// A stand-in for the download manager's automation object, "ThunderAgent.Agent", registered
// for the test process alone while it lives: the ProgID in the registry of the test's Wine
// prefix, the class object in the apartment of the thread that makes the stand-in. Every
// object it hands out records its "AddTask" and "CommitTasks" calls.
#pragma once

#include "support/stand_in_object.h"

#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace velkari::testing {

class StandInDownloadManager {
  public:
    struct Record {
        int object; // 1 for the first object handed out, and so on
        std::string member;
        std::vector<std::string> args;
        std::chrono::steady_clock::time_point at;
    };

    // On a thread with COM initialised; the stand-in must be destroyed on the same thread.
    StandInDownloadManager();
    ~StandInDownloadManager();
    StandInDownloadManager(const StandInDownloadManager&) = delete;
    StandInDownloadManager& operator=(const StandInDownloadManager&) = delete;

    // Every call so far, in the order made.
    std::vector<Record> Records() const;
    int ObjectsMade() const;
    // Whether every object handed out has been given back.
    bool AllReleased() const;

  private:
    class Factory;
    std::unique_ptr<Factory> factory_;
    DWORD cookie_ = 0;
};

} // namespace velkari::testing
