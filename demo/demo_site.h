// The bundled demo course site: a course page with a dozen lessons, their lesson pages, the
// video service's redirect endpoint and the video files it points to, all on loopback at the
// ports that the program's default settings name.
#pragma once

#include "support/scripted_peer.h"

#include <memory>
#include <string>
#include <vector>

namespace velkari::demo {

struct DemoLesson {
    std::string id;      // in the lesson's address, /course/video-<id>
    std::string title;   // code page 936, as the course page shows it
    std::string videoId; // on the lesson page, #cc_<videoId>'
    size_t videoSize;    // bytes of the generated video file
};

const std::vector<DemoLesson>& DemoLessons();
// The bytes of a lesson's video file, the same every time.
std::string DemoVideo(const DemoLesson& lesson);

class DemoSite {
  public:
    // Listens on the course site's and the video service's default host ports.
    DemoSite();
    DemoSite(const DemoSite&) = delete;
    DemoSite& operator=(const DemoSite&) = delete;

    // False when either port was taken.
    bool Listening() const;
    std::string CourseAddress() const;

  private:
    std::unique_ptr<testing::ScriptedPeer> site_;
    std::unique_ptr<testing::ScriptedPeer> video_;
};

} // namespace velkari::demo
