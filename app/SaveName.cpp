#include "app/SaveName.h"

namespace velkar {

std::string SaveTargetName(const std::string& chosen, SubtitleFormat format) {
    const std::size_t slash = chosen.find_last_of('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = chosen.find_last_of('.');
    if (dot != std::string::npos && dot >= nameStart)
        return chosen;
    switch (format) {
    case sfMicroDVD:
    case sfSubViewer2:
        return chosen + ".sub";
    case sfSubRip:
        return chosen + ".srt";
    default:
        return chosen;
    }
}

} // namespace velkar
