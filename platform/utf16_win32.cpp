#include <windows.h>

#include <vector>

#include "platform/utf16.h"

namespace texte {

std::wstring utf16(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int size = static_cast<int>(utf8.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), length);
    return wide;
}

std::string utf8(std::wstring_view utf16) {
    if (utf16.empty()) return {};
    const int size = static_cast<int>(utf16.size());
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, narrow.data(), length, nullptr, nullptr);
    return narrow;
}

std::string message_systeme(unsigned long code, const std::string& subject) {
    wchar_t text[512] = {};
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                   text, sizeof text / sizeof text[0], nullptr);
    std::string message = text[0] ? utf8(text) : "erreur " + std::to_string(code);
    while (!message.empty() &&
           (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
        message.pop_back();
    // "Bad EXE format for %1.": the system fills its placeholders only when
    // asked with arguments, which would read them from the stack.
    for (std::size_t at = message.find('%'); at != std::string::npos && at + 1 < message.size();
         at = message.find('%', at + 1)) {
        if (message[at + 1] < '1' || message[at + 1] > '9') continue;
        const std::string replacement = subject.empty() ? "ce fichier" : subject;
        message.replace(at, 2, replacement);
        at += replacement.size() - 1;
    }
    return message;
}

std::string fichier_du_module(void* module) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(static_cast<HMODULE>(module), path.data(),
                                                static_cast<DWORD>(path.size()));
        if (length == 0) return "";
        if (length < path.size()) return utf8(std::wstring_view(path.data(), length));
        path.resize(path.size() * 2);
    }
}

}  // namespace texte
