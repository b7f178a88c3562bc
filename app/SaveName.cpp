#include "app/SaveName.h"

#include "document/Format.h"

namespace velkar {

std::string SaveTargetName(const std::string& chosen, SubtitleFormat format) {
    const std::size_t slash = chosen.find_last_of('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = chosen.find_last_of('.');
    if (dot != std::string::npos && dot >= nameStart)
        return chosen;
    if (const FormatEntry* entry = FindFormat(format))
        return chosen + std::string(entry->extension);
    return chosen;
}

} // namespace velkar
