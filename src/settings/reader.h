// A small INI-style reader: sections of key=value lines, kept in the order they
// first appear. It knows nothing of the module's own section and keys, and it
// never reports an error: lines it cannot use are skipped.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace sloshmere {

// Removes space, tab, line feed, carriage return, form feed and vertical tab
// from both ends; no other byte counts as blank.
std::string trim(std::string text);

// Replaces every occurrence of pattern, left to right and never overlapping;
// an empty pattern changes nothing.
std::string replaceAll(std::string text, std::string_view pattern, std::string_view replacement);

// Named values in first-insertion order. Names are trimmed on the way in and
// matched byte for byte, so letter case counts. Entries are only appended and
// only removed all at once, so a position in the index never goes stale.
template <typename V>
struct OrderedMap {
    std::unordered_map<std::string, std::size_t> index;
    std::vector<std::pair<std::string, V>> entries;

    // Whether the trimmed name is present.
    bool has(std::string name) const { return index.contains(trim(std::move(name))); }

    // A copy of the value under the trimmed name, or an empty V; never inserts.
    V get(std::string name) const {
        const auto found = index.find(trim(std::move(name)));
        return found == index.end() ? V{} : entries[found->second].second;
    }

    // The value under the trimmed name, appended empty at the end if absent.
    // The reference lasts until the next insertion.
    V& getOrInsert(std::string name) {
        name = trim(std::move(name));
        const auto [found, inserted] = index.try_emplace(name, entries.size());
        if (inserted) {
            // An allocation failure propagates to the caller, but the map must
            // stay whole: an index record without its entry would later be read
            // past the end of entries.
            try {
                entries.emplace_back(std::move(name), V{});
            } catch (...) {
                index.erase(found);
                throw;
            }
        }
        return entries[found->second].second;
    }

    // Removes every entry.
    void clear() {
        index.clear();
        entries.clear();
    }

    // The number of entries.
    std::size_t size() const { return entries.size(); }
};

// Key -> value within one section.
using SettingsSection = OrderedMap<std::string>;
// Section name -> section.
using SettingsDocument = OrderedMap<SettingsSection>;

// What one line of a settings file is.
enum class LineKind { None = 0, Comment = 1, Section = 2, KeyValue = 3, Unrecognised = 4 };

// One pass over one settings file: opened on construction, read once.
class SettingsReader {
public:
    // Opens path for binary reading; a file that cannot be opened leaves the
    // reader closed, and read then reports false.
    explicit SettingsReader(const std::string& path);

    // Applies every line of the file to document, merging repeated sections
    // and letting a repeated key's last value win. False only when the file
    // was never open; the document is then untouched.
    bool read(SettingsDocument& document);

    // The whole file split at line feeds, carriage returns and NUL bytes
    // dropped, ending with the (possibly empty) text after the last line
    // feed; an empty file gives no lines. Closes the file.
    std::vector<std::string> readLines();

    // Classifies one line and fills name and value (cleared first) for
    // sections and key lines.
    static LineKind parseLine(std::string line, std::string& name, std::string& value);

private:
    // Closes the file, whichever way the reader ends.
    struct FileCloser {
        void operator()(std::FILE* stream) const noexcept;
    };

    // The C library's stream, not <fstream>: the C++ streams would link the
    // runtime's locale machinery into the .asi, most of its size.
    std::unique_ptr<std::FILE, FileCloser> file;
};

} // namespace sloshmere
