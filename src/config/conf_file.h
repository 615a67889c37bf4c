// The INI-style configuration file: read whole at Open, rewritten whole at Close when
// anything was written.
#pragma once
#include <memory>
#include <string>

class ConfFile {
public:
    ConfFile();
    ~ConfFile();
    ConfFile(const ConfFile&) = delete;
    ConfFile& operator=(const ConfFile&) = delete;

    bool Open(const std::wstring& path);
    bool SelectGroup(const std::wstring& name);
    std::wstring ReadString(const std::wstring& key, const std::wstring& defaultValue = L"");
    void WriteString(const std::wstring& key, const std::wstring& value);
    void Close();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// The program's one configuration file object.
ConfFile& TheConfFile();

// Open ConfFilePath, select "Global", read or write one key, close.
std::wstring ReadGlobalKey(const std::wstring& key, const std::wstring& defaultValue);
void WriteGlobalKey(const std::wstring& key, const std::wstring& value);
