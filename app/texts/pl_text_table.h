#pragma once
// PlTextTable: every text the user interface shows, by numeric id. Filled at
// start-up from the built-in English rows and then overlaid from the chosen
// language file, whose sections and keys name the rows ("[PopupForm]",
// "205=..."). Ids the program does not know are never added by a language
// file.
//
// Filled on the user-interface thread before any worker thread starts; after
// that only read, from any thread.

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

class PlProfileFile;

// One built-in row: the static texts are referred to, not copied.
struct PlTextRow {
    std::int32_t id;
    const char* text;
    const char* section;
};

class PlTextTable {
public:
    // Language-file values are read into a buffer of this many bytes, so
    // longer texts are cut to one byte less.
    static constexpr std::size_t kValueBuffer = 2048;

    // The process-wide table, empty until filled.
    static PlTextTable& Instance();

    // Stores each row under its id; a later row with an id already present
    // replaces the earlier text and section.
    void AddDefaults(const PlTextRow* rows, std::size_t count);

    // Overlays the texts of the language file at `path`; an empty path does
    // nothing. Missing files, sections and keys keep the current texts.
    // Bytes that are not UTF-8 become '?'.
    void LoadLanguageFile(const std::string& path);
    // The same with a language file already read.
    void LoadLanguage(const PlProfileFile& file);

    // The text of `id`, or an empty string for an unknown id.
    std::string Text(std::int32_t id) const;
    // The text of `id` with every "%1" replaced by `first`, then every "%2"
    // of the result by `second`.
    std::string Text(std::int32_t id, std::string_view first, std::string_view second) const;

private:
    struct Row {
        std::string text;
        const char* section;
        // Loading a file without this row's key leaves the text as it is
        // (valid UTF-8, within the buffer, no trailing blank): the row is
        // then skipped, so that loading costs the keys the file has.
        bool settled = false;
    };

    std::map<std::int32_t, Row> rows_;
};

// `text` with every "%1" replaced by `first`, then every "%2" of the result
// by `second`: how the two-argument texts are filled in.
std::string PlFormatText(std::string_view text, std::string_view first, std::string_view second);
