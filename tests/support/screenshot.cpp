#include "support/screenshot.h"
#include "support/test_files.h"
#include <vector>

namespace {

DWORD Crc32(const BYTE *data, size_t length, DWORD crc = 0)
{
    crc = ~crc;
    for (size_t i = 0; i < length; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

void PutBigEndian(std::string &out, DWORD value)
{
    for (int shift = 24; shift >= 0; shift -= 8) out += (char)((value >> shift) & 0xFF);
}

void PutChunk(std::string &png, const char *type, const std::string &data)
{
    PutBigEndian(png, (DWORD)data.size());
    std::string body = std::string(type, 4) + data;
    png += body;
    PutBigEndian(png, Crc32((const BYTE *)body.data(), body.size()));
}

// A zlib stream of stored (uncompressed) blocks: enough for a viewer.
std::string StoredZlib(const std::string &raw)
{
    std::string out("\x78\x01", 2);
    size_t pos = 0;
    do {
        size_t n = raw.size() - pos < 65535 ? raw.size() - pos : 65535;
        bool last = pos + n == raw.size();
        out += (char)(last ? 1 : 0);
        out += (char)(n & 0xFF);
        out += (char)(n >> 8);
        out += (char)(~n & 0xFF);
        out += (char)((~n >> 8) & 0xFF);
        out.append(raw, pos, n);
        pos += n;
    } while (pos < raw.size());
    DWORD a = 1, b = 0;
    for (unsigned char c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    PutBigEndian(out, (b << 16) | a);
    return out;
}

}  // namespace

std::string SaveWindowScreenshot(HWND window, const char *name)
{
    // Paint what is pending first; another thread's window needs a moment
    // more before the screen shows it.
    RedrawWindow(window, NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    if (GetWindowThreadProcessId(window, NULL) != GetCurrentThreadId()) Sleep(250);
    RECT rect;
    if (!GetWindowRect(window, &rect)) return "";
    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return "";

    BITMAPINFO info;
    ZeroMemory(&info, sizeof(info));
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void *bits = NULL;
    HDC screen = GetDC(NULL);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, NULL, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    GdiFlush();

    std::string raw;
    raw.reserve((size_t)height * (width * 3 + 1));
    const BYTE *pixels = (const BYTE *)bits;
    for (int y = 0; y < height; ++y) {
        raw += '\0';
        for (int x = 0; x < width; ++x) {
            const BYTE *p = pixels + ((size_t)y * width + x) * 4;
            raw += (char)p[2];
            raw += (char)p[1];
            raw += (char)p[0];
        }
    }
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(NULL, screen);

    std::string header;
    PutBigEndian(header, width);
    PutBigEndian(header, height);
    header += std::string("\x08\x02\x00\x00\x00", 5);
    std::string png("\x89PNG\r\n\x1a\n", 8);
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", StoredZlib(raw));
    PutChunk(png, "IEND", "");

    std::string path = ArtifactFolder() + "\\" + name + ".png";
    WriteFileBytes(path, png);
    return path;
}

COLORREF ScreenPixel(int x, int y)
{
    HDC screen = GetDC(NULL);
    COLORREF colour = GetPixel(screen, x, y);
    ReleaseDC(NULL, screen);
    return colour;
}
