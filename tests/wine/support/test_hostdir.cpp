#include "test_hostdir.h"

#include <stdio.h>
#include <string.h>

#include <gtest/gtest.h>

namespace test {

namespace {

void RemoveTree(const std::string& dir)
{
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string name = fd.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string full = dir + "\\" + name;
            SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(full);
            else
                DeleteFileA(full.c_str());
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    SetFileAttributesA(dir.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryA(dir.c_str());
}

void WriteBytes(const std::string& path, const void* data, size_t size)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << "cannot write " << path;
    DWORD written = 0;
    WriteFile(h, data, static_cast<DWORD>(size), &written, nullptr);
    CloseHandle(h);
    ASSERT_EQ(written, size);
}

}  // namespace

std::vector<unsigned char> TableBytes(const char* name, int count)
{
    std::vector<unsigned char> bytes(396 + 6 * static_cast<size_t>(count), 0);
    memcpy(bytes.data(), "COLORLUT", 8);
    strncpy(reinterpret_cast<char*>(bytes.data()) + 8, name, 127);
    strcpy(reinterpret_cast<char*>(bytes.data()) + 136, "USER_DEFINE");
    for (int k = 0; k < 4; ++k)
        bytes[392 + k] = static_cast<unsigned char>(static_cast<unsigned>(count) >> (8 * k));
    for (int i = 0; i < count; ++i) {
        unsigned short c[3] = {static_cast<unsigned short>((i * 10 % 256) << 8),
                               static_cast<unsigned short>((i * 20 % 256) << 8),
                               static_cast<unsigned short>((i * 30 % 256) << 8)};
        for (int k = 0; k < 3; ++k) {
            bytes[396 + 6 * i + 2 * k] = static_cast<unsigned char>(c[k] & 0xFF);
            bytes[396 + 6 * i + 2 * k + 1] = static_cast<unsigned char>(c[k] >> 8);
        }
    }
    return bytes;
}

HostDir::HostDir()
{
    static LONG counter = 0;
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    char name[MAX_PATH];
    snprintf(name, sizeof name, "%soroscape_test_%lu_%ld", temp, GetCurrentProcessId(),
             InterlockedIncrement(&counter));
    path_ = name;
    RemoveTree(path_);
    CreateDirectoryA(path_.c_str(), nullptr);
    CreateDirectoryA((path_ + "\\HeightLut").c_str(), nullptr);
    SetEnvironmentVariableA("OROSCAPE_HOST_DIR", path_.c_str());
}

HostDir::~HostDir()
{
    SetEnvironmentVariableA("OROSCAPE_HOST_DIR", nullptr);
    RemoveTree(path_);
}

std::string HostDir::LutPath(const std::string& title) const
{
    return path_ + "\\HeightLut\\" + title + ".lut";
}

void HostDir::WriteTable(const std::string& fileName, const std::vector<unsigned char>& bytes, bool inLutFolder)
{
    std::string full = inLutFolder ? path_ + "\\HeightLut\\" + fileName : path_ + "\\" + fileName.substr(fileName.rfind('\\') + 1);
    WriteBytes(full, bytes.data(), bytes.size());
}

void HostDir::CopyShippedTable(const std::string& title)
{
    // The build tree's HeightLut, a Unix path that Wine shows on drive Z:.
    std::string from = std::string("Z:") + OROSCAPE_LUT_DIR + "/" + title + ".lut";
    for (char& ch : from)
        if (ch == '/')
            ch = '\\';
    ASSERT_TRUE(CopyFileA(from.c_str(), LutPath(title).c_str(), FALSE)) << "cannot copy " << from;
}

std::string HostDir::WriteFile(const std::string& name, const std::string& contents)
{
    std::string full = path_ + "\\" + name;
    WriteBytes(full, contents.data(), contents.size());
    return full;
}

std::vector<unsigned char> HostDir::ReadFile(const std::string& path)
{
    std::vector<unsigned char> out;
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return out;
    DWORD size = GetFileSize(h, nullptr);
    out.resize(size);
    DWORD got = 0;
    if (size > 0)
        ::ReadFile(h, out.data(), size, &got, nullptr);
    out.resize(got);
    CloseHandle(h);
    return out;
}

}  // namespace test
