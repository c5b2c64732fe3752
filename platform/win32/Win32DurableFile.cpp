#include "platform/DurableFile.h"
#include "platform/win32/WideText.h"

#include <windows.h>

#include <algorithm>
#include <string>

namespace platform {
namespace {

bool Fail(std::string* error) {
    const DWORD code = GetLastError();
    if (error) {
        wchar_t* text = nullptr;
        const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                           FORMAT_MESSAGE_IGNORE_INSERTS,
                                       nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
        std::string message = n > 0 ? win32::WideToUtf8(text, n) : "error " + std::to_string(code);
        if (text)
            LocalFree(text);
        while (!message.empty() &&
               (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
            message.pop_back();
        *error = message;
    }
    return false;
}

} // namespace

bool WriteFileToDisk(const std::string& path, const std::string& bytes, bool, std::string* error) {
    const HANDLE file = CreateFileW(win32::Utf8ToWide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return Fail(error);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD want = DWORD(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + done, want, &written, nullptr) || written == 0) {
            Fail(error);
            CloseHandle(file);
            return false;
        }
        done += written;
    }
    if (!FlushFileBuffers(file)) {
        Fail(error);
        CloseHandle(file);
        return false;
    }
    CloseHandle(file);
    return true;
}

bool MoveFileReplacing(const std::string& from, const std::string& to, std::string* error) {
    if (!MoveFileExW(win32::Utf8ToWide(from).c_str(), win32::Utf8ToWide(to).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return Fail(error);
    return true;
}

} // namespace platform
