// libFuzzer entry point: edits of a LineStore, checked after each one against a plain vector of
// strings. The input is a file to split, then a list of edits.

#include "document/LineIo.h"
#include "document/LineStore.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

// Reads the input from the front: bytes, small numbers and short texts.
struct Input {
    std::string_view rest;
    unsigned byte() {
        if (rest.empty())
            return 0;
        const auto b = static_cast<unsigned char>(rest.front());
        rest.remove_prefix(1);
        return b;
    }
    std::string_view text() {
        const std::size_t n = std::min<std::size_t>(byte() % 40, rest.size());
        const std::string_view t = rest.substr(0, n);
        rest.remove_prefix(n);
        return t;
    }
};

void Check(const velkar::LineStore& store, const std::vector<std::string>& model) {
    if (!(store == model))
        std::abort();
    // The runs it would write out as they stand hold exactly the lines and their own line ends.
    std::string runs;
    std::string_view run;
    for (std::size_t i = 0; i < store.size();) {
        if (const std::size_t n = store.StoredRun(i, run)) {
            runs.append(run);
            i += n;
        } else {
            runs.append(store[i]);
            runs.append(velkar::LineBreakBytes(store.lineBreak(i)));
            ++i;
        }
    }
    if (runs != velkar::JoinLines(store))
        std::abort();
    // Written out piece by piece, the same bytes.
    std::string pieces;
    velkar::PutFileBytes(store, "", [&](std::string_view bytes) {
        pieces.append(bytes);
        return true;
    });
    if (pieces != runs)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velkar;
    Input in{{reinterpret_cast<const char*>(data), size}};
    const std::string_view file = in.text();
    LineStore store = LineStore::Split(file);
    std::vector<std::string> model = SplitLines(file);
    if (LineStore::Count(file) != model.size())
        std::abort();
    Check(store, model);
    while (!in.rest.empty()) {
        const unsigned op = in.byte() % 6;
        const std::size_t i = model.empty() ? 0 : in.byte() % model.size();
        const std::string text(in.text());
        if (text.find('\0') != std::string::npos)
            continue;
        switch (op) {
        case 0:
            if (model.empty())
                continue;
            store.set(i, text);
            model[i] = text;
            break;
        case 1: {
            if (model.empty())
                continue;
            const std::size_t count = in.byte() % 12;
            store.replace(i, count, text);
            model[i].replace(0, std::min(count, model[i].size()), text);
            break;
        }
        case 2:
            store.push_back(text);
            model.push_back(text);
            break;
        case 3:
            if (model.empty())
                continue;
            store.set(i, store[(i * 7) % model.size()]); // a view of the store itself
            model[i] = std::string(model[(i * 7) % model.size()]);
            break;
        case 4: {
            LineStore copy = store;
            store = std::move(copy);
            break;
        }
        case 5:
            if (in.byte() % 8 == 0) {
                store.clear();
                model.clear();
            }
            break;
        }
        Check(store, model);
    }
    return 0;
}
