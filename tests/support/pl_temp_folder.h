#pragma once
// PlTempFolder: a fresh folder for one test, removed with everything in it
// when the test ends.

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>

class PlTempFolder {
public:
    PlTempFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "parlino-test-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    PlTempFolder(const PlTempFolder&) = delete;
    PlTempFolder& operator=(const PlTempFolder&) = delete;
    ~PlTempFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }

    std::string Path(std::string_view name = {}) const
    {
        return name.empty() ? path_ : path_ + "/" + std::string(name);
    }

    void WriteFile(std::string_view name, std::string_view contents) const
    {
        std::filesystem::create_directories(std::filesystem::path(Path(name)).parent_path());
        std::ofstream(Path(name), std::ios::binary) << contents;
    }

    std::string ReadFile(std::string_view name) const
    {
        std::ifstream in(Path(name), std::ios::binary | std::ios::ate);
        std::string contents(static_cast<std::size_t>(std::max<std::streamoff>(in.tellg(), 0)), '\0');
        in.seekg(0);
        in.read(contents.data(), static_cast<std::streamsize>(contents.size()));
        return contents;
    }

private:
    std::string path_;
};
