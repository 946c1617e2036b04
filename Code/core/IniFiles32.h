// TIniFile32: the program's own reader and writer of INI files. It keeps the
// whole file in memory as a list of 8-bit lines, scans that list for
// sections and keys, and writes the whole file back after every change.
// Callers open one object per task, so each task sees the file as it is on
// disk at that moment.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TIniFile32 {
  public:
    // Loads the file when a file (not a folder) of that name exists; a
    // missing file gives an empty object. Throws EFOpenError when the file
    // exists but cannot be read.
    explicit TIniFile32(const std::string& fileName);
    ~TIniFile32();

    TIniFile32(const TIniFile32&) = delete;
    TIniFile32& operator=(const TIniFile32&) = delete;

    // An empty stored value reads as the default.
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& defaultValue);
    // Decimal, or hexadecimal after "$", "x", "X" or "0x", with an optional
    // sign; anything else (or a value outside 32 bits) gives the default.
    int32_t ReadInteger(const std::string& section, const std::string& key, int32_t defaultValue);
    // Both rewrite the file, even when nothing changed. Throw EFCreateError
    // when the file cannot be written; the change then stays in memory only.
    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void WriteInteger(const std::string& section, const std::string& key, int32_t value);
    // Replaces the content of *strings with the names of all section
    // headers in file order, duplicates included. Throws EAssertionFailed
    // when strings is null.
    void ReadSections(std::vector<std::string>* strings);
    // Rewrites the file only when the section is found.
    void EraseSection(const std::string& section);

  private:
    static bool IsSection(const std::string& line);
    static std::string GetKeyName(const std::string& line);
    static std::string GetKeyValue(const std::string& line, const std::string& key);
    int IndexOfSection(const std::string& section) const;
    void UpdateFile();

    std::string FileName;
    std::vector<std::string> Lines;
};
