#include "instlib/inst_path_variable.h"

#include "instlib/inst_system_root.h"
#include "instlib/inst_text_file.h"

#include <vector>

namespace pl::inst {

namespace {

// One PATH assignment split into the text before the value, the value and
// the text after it (a closing quote and whatever follows).
struct PathLine {
    std::string_view head;
    std::string_view value;
    std::string_view tail;
};

// Where the value of a PATH assignment begins; nullopt for any other line.
std::optional<std::size_t> PathValueAt(std::string_view line)
{
    std::size_t key = line.find_first_not_of(" \t");
    if (key != std::string_view::npos && line.substr(key).starts_with("export "))
        key = line.find_first_not_of(" \t", key + 7);
    if (key == std::string_view::npos || !line.substr(key).starts_with("PATH="))
        return std::nullopt;
    return key + 5;
}

// The parts of a PATH assignment; nullopt when its quote is not closed.
std::optional<PathLine> ParsePathLine(std::string_view line)
{
    const std::optional<std::size_t> valueAt = PathValueAt(line);
    if (!valueAt)
        return std::nullopt;
    const std::size_t begin = *valueAt;
    if (begin < line.size() && (line[begin] == '"' || line[begin] == '\'')) {
        const std::size_t close = line.find(line[begin], begin + 1);
        if (close == std::string_view::npos)
            return std::nullopt;  // not a line to guess at
        return PathLine{line.substr(0, begin + 1), line.substr(begin + 1, close - begin - 1), line.substr(close)};
    }
    std::size_t end = line.find_last_not_of(" \t");
    end = end == std::string_view::npos || end < begin ? begin : end + 1;
    return PathLine{line.substr(0, begin), line.substr(begin, end - begin), line.substr(end)};
}

bool HasEntry(std::string_view value, std::string_view entry)
{
    for (;;) {
        const std::size_t colon = value.find(':');
        if (value.substr(0, colon) == entry)
            return true;
        if (colon == std::string_view::npos)
            return false;
        value.remove_prefix(colon + 1);
    }
}

}  // namespace

bool IsPathEntry(std::string_view directory)
{
    return !directory.empty() && directory.find_first_of(":\"'\r\n") == std::string_view::npos;
}

PathEditResult AddToPathLine(std::string_view text, std::string_view directory)
{
    std::vector<std::string_view> lines, endings;
    std::optional<std::size_t> pathIndex;
    ForEachRawLine(text, [&](std::string_view line, std::string_view ending) {
        if (PathValueAt(line))
            pathIndex = lines.size();
        lines.push_back(line);
        endings.push_back(ending);
    });
    PathEditResult result;
    const std::optional<PathLine> parsed = pathIndex ? ParsePathLine(lines[*pathIndex]) : std::nullopt;
    if (!parsed)
        return result;
    const PathLine& path = *parsed;
    if (HasEntry(path.value, directory)) {
        result.edit = PathEdit::AlreadyPresent;
        return result;
    }
    result.edit = PathEdit::Added;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i != *pathIndex) {
            result.text.append(lines[i]).append(endings[i]);
            continue;
        }
        result.text.append(path.head).append(directory);
        if (!path.value.empty())
            result.text.append(":").append(path.value);
        result.text.append(path.tail).append(endings[i]);
    }
    return result;
}

InstResult AddDirectoryToSystemPath(std::string_view directory)
{
    if (!IsPathEntry(directory))
        return InstResult::Failed;
    const std::string file = InSystemRoot("/etc/environment");
    const TextFile current = ReadTextFile(file);
    if (current.result != InstResult::Success)
        return current.result;
    if (!current.exists)
        return InstResult::Failed;  // no value to extend
    const PathEditResult edited = AddToPathLine(current.text, directory);
    switch (edited.edit) {
    case PathEdit::NoPathLine: return InstResult::Failed;
    case PathEdit::AlreadyPresent: return InstResult::Success;
    case PathEdit::Added: return ReplaceTextFile(file, edited.text, 0644);
    }
    return InstResult::Failed;
}

}  // namespace pl::inst
