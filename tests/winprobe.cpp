// Drives a running plumewright.exe under Wine as a user would: waits for its main window, copies
// the drop string out of the result field (click, Ctrl+A, Ctrl+C), presses "Create SQS",
// confirms the notice with Enter and closes the window. Writes what it saw into RESULT_FILE:
// the copied text on the first line, then "notice" when one notice came up and went with Enter.
// Usage: winprobe.exe RESULT_FILE
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

constexpr wchar_t kMainTitle[] = L" Plumewright 1.1 by Orvane";
constexpr wchar_t kNoticeTitle[] = L"Info";
// Client positions (pixels at 96 dots per inch) inside the result field and "Create SQS".
constexpr POINT kResultField{396, 249};
constexpr POINT kCreateSqs{460, 209};

HWND waitForWindow(const wchar_t *title, int seconds)
{
    for (int tick = 0; tick < seconds * 10; ++tick) {
        if (HWND window = FindWindowW(nullptr, title); window && IsWindowVisible(window))
            return window;
        Sleep(100);
    }
    return nullptr;
}

bool waitUntilGone(HWND window, int seconds)
{
    for (int tick = 0; tick < seconds * 10; ++tick) {
        if (!IsWindow(window) || !IsWindowVisible(window))
            return true;
        Sleep(100);
    }
    return false;
}

void send(const INPUT *inputs, UINT count)
{
    SendInput(count, const_cast<INPUT *>(inputs), sizeof(INPUT));
    Sleep(300);
}

void click(HWND window, POINT client)
{
    SetForegroundWindow(window);
    Sleep(300);
    ClientToScreen(window, &client);
    SetCursorPos(client.x, client.y);
    INPUT inputs[2] = {};
    inputs[0].type = inputs[1].type = INPUT_MOUSE;
    inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    send(inputs, 2);
}

INPUT key(WORD code, bool up)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = code;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

void press(WORD code)
{
    const INPUT inputs[2] = {key(code, false), key(code, true)};
    send(inputs, 2);
}

void pressWithControl(WORD code)
{
    const INPUT inputs[4] = {key(VK_CONTROL, false), key(code, false), key(code, true), key(VK_CONTROL, true)};
    send(inputs, 4);
}

std::wstring clipboardText()
{
    std::wstring text;
    if (!OpenClipboard(nullptr))
        return text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto *chars = static_cast<const wchar_t *>(GlobalLock(data))) {
            text = chars;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

std::string utf8(const std::wstring &text)
{
    if (text.empty())
        return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), bytes.data(), size, nullptr, nullptr);
    return bytes;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: winprobe RESULT_FILE\n");
        return 2;
    }
    std::FILE *result = std::fopen(argv[1], "wb");
    if (!result)
        return 2;
    HWND main = waitForWindow(kMainTitle, 60);
    if (!main) {
        std::fputs("no main window\n", result);
        std::fclose(result);
        return 1;
    }
    Sleep(1000);

    std::wstring copied;
    for (int attempt = 0; attempt < 5 && copied.rfind(L"Drop [", 0) != 0; ++attempt) {
        click(main, kResultField);
        pressWithControl('A');
        pressWithControl('C');
        copied = clipboardText();
    }
    std::fprintf(result, "%s\n", utf8(copied).c_str());

    click(main, kCreateSqs);
    if (HWND notice = waitForWindow(kNoticeTitle, 20)) {
        SetForegroundWindow(notice);
        Sleep(300);
        press(VK_RETURN);
        // Qt hides a closed message box's window before it destroys it, so a notice that comes up
        // again is one that is visible again.
        if (!waitUntilGone(notice, 20))
            std::fputs("notice stayed\n", result);
        else if (waitForWindow(kNoticeTitle, 2))
            std::fputs("notice came up again\n", result);
        else
            std::fputs("notice\n", result);
    } else {
        std::fputs("no notice\n", result);
    }
    std::fclose(result);
    PostMessageW(main, WM_CLOSE, 0, 0);
    return 0;
}
