// The message key of a file name, the lines of a message file's bytes, the message text
// and the file name scheme. Free of platform calls.
#include "watch/message_file.h"

#include "util/line_reader.h"
#include "util/number.h"
#include "util/text.h"

MessageKey MessageKeyOf(const std::wstring& fileName) {
    std::wstring digits = ReplaceAll(fileName, L"_", L"");
    digits = ReplaceAll(digits, L".msg", L"");
    return TextToInt64(digits);
}

std::vector<std::wstring> SplitMessageLines(const std::string& bytes) {
    // The same byte rules as every text file of the program, over bytes already read.
    MemoryByteSource source(bytes);
    std::vector<std::wstring> lines;
    while (!source.AtEnd()) lines.push_back(ReadTextLine(source));
    return lines;
}

std::wstring MessageText(const std::vector<std::wstring>& lines) {
    std::wstring text;
    for (const std::wstring& line : lines) {
        text += line;
        text += L'\r';
    }
    return text;
}

std::wstring MessageFileName(DateValue when) {
    return FormatDateMask(L"%yyyy%mm%dd", when) + L"_" + FormatDateMask(L"%hh%ii%ss", when) + L".msg";
}
