// A host directory of a test's own: a fresh temporary folder with a HeightLut
// subfolder, announced to the hubcore60 stand-in through OROSCAPE_HOST_DIR and
// removed again when the object goes.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace test {

// Bytes of a colour-table file: header (magic, name, "USER_DEFINE", count) and
// count entries, entry i = ((i*10) % 256, (i*20) % 256, (i*30) % 256) << 8.
std::vector<unsigned char> TableBytes(const char* name, int count);

class HostDir {
public:
    HostDir();
    ~HostDir();
    HostDir(const HostDir&) = delete;
    HostDir& operator=(const HostDir&) = delete;

    const std::string& Path() const { return path_; }       // ANSI, no trailing backslash
    std::string LutPath(const std::string& title) const;    // <dir>\HeightLut\<title>.lut

    // Writes bytes to HeightLut\<fileName> (inLutFolder) or <dir>\HeightLut\..\<fileName>.
    void WriteTable(const std::string& fileName, const std::vector<unsigned char>& bytes,
                    bool inLutFolder = true);
    // Copies a table the build generated (HeightLut of the build tree) into HeightLut.
    void CopyShippedTable(const std::string& title);
    // Writes a file into the host directory; returns its full path.
    std::string WriteFile(const std::string& name, const std::string& contents);
    // Reads a whole file (empty when missing).
    static std::vector<unsigned char> ReadFile(const std::string& path);

private:
    std::string path_;
};

}  // namespace test
