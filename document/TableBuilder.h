#pragma once
// The timing table as a format's parser fills it: one column per subtitle, in file order.

#include "document/SubtitleDocument.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace velkar {

class TableBuilder {
  public:
    // Empties the table of `doc` (and `dialogs` when given); texts are stored when `texts` is
    // true or `dialogs` is given.
    TableBuilder(SubtitleDocument& doc, std::vector<std::string>* dialogs, bool texts);

    // Adds a subtitle (zero times, empty text) and gives its column; refuses the 65 536th with
    // VelkarError "The Subtitle file holds more than 65535 subtitles".
    std::size_t add();

    // Whether texts are stored.
    bool texts() const { return m_texts; }

    // Ends the subtitle in `column`: its dialog entry, when dialogs are wanted.
    void finish(std::size_t column);

  private:
    SubtitleDocument& m_doc;
    std::vector<std::string>* m_dialogs;
    bool m_texts;
};

// Line `index` of the document as a short string; throws ListIndexError past the end.
std::string_view LineAt(const SubtitleDocument& doc, std::size_t index);

} // namespace velkar
