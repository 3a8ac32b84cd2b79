#pragma once
// Conversions between the platform's opaque handles and the Win32 handle types, and owners for
// the Win32 resources the back end obtains for itself. Include after the project headers (see
// Win32Api.h).
#include <cstdint>
#include <string>
#include <utility>

#include "platform/Types.h"
#include "platform/win32/Win32Api.h"

namespace platform::win32 {

template <typename T>
T fromHandle(Handle handle) {
    return reinterpret_cast<T>(handle);
}

template <typename T>
Handle toHandle(T value) {
    return reinterpret_cast<Handle>(value);
}

// Registry roots are small negative numbers in a pointer (HKEY_CURRENT_USER is
// 0xFFFFFFFF80000001 in a 64-bit process). The platform's constant holds the 32-bit value
// without the sign extension, so a root written either way reaches the same key.
HKEY registryKey(Handle handle);

// A handle that 32-bit interfaces carry in 32 bits (OLE_HANDLE), widened the way Windows widens
// GDI handles: with the sign.
Handle widenHandle32(std::uint32_t value);

// Text conversions. Invalid input converts to what MultiByteToWideChar makes of it.
std::wstring utf8ToWide(const std::string& text);
std::string wideToUtf8(const std::wstring& text);
// The project's UTF-8 text for an ANSI ("A") function: unchanged when the process runs with the
// UTF-8 code page (the manifest asks for it), converted to the process's code page otherwise.
std::string utf8ToAnsi(const char* text);

// A device context of a window, released when it goes.
class OwnedWindowDc {
public:
    explicit OwnedWindowDc(HWND window) : window_(window), dc_(::GetDC(window)) {}
    ~OwnedWindowDc() {
        if (dc_ != nullptr) ::ReleaseDC(window_, dc_);
    }
    OwnedWindowDc(const OwnedWindowDc&) = delete;
    OwnedWindowDc& operator=(const OwnedWindowDc&) = delete;
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// A memory device context, deleted when it goes.
class MemoryDc {
public:
    MemoryDc() = default;
    explicit MemoryDc(HDC compatibleWith) : dc_(::CreateCompatibleDC(compatibleWith)) {}
    ~MemoryDc() { reset(); }
    MemoryDc(MemoryDc&& other) noexcept : dc_(std::exchange(other.dc_, nullptr)) {}
    MemoryDc& operator=(MemoryDc&& other) noexcept {
        if (this != &other) {
            reset();
            dc_ = std::exchange(other.dc_, nullptr);
        }
        return *this;
    }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    HDC get() const { return dc_; }
    void reset() {
        if (dc_ != nullptr) ::DeleteDC(dc_);
        dc_ = nullptr;
    }

private:
    HDC dc_ = nullptr;
};

// A bitmap, font, brush or palette, deleted when it goes.
template <typename T>
class OwnedGdiObject {
public:
    OwnedGdiObject() = default;
    explicit OwnedGdiObject(T object) : object_(object) {}
    ~OwnedGdiObject() { reset(); }
    OwnedGdiObject(OwnedGdiObject&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    OwnedGdiObject& operator=(OwnedGdiObject&& other) noexcept {
        if (this != &other) {
            reset();
            object_ = std::exchange(other.object_, nullptr);
        }
        return *this;
    }
    OwnedGdiObject(const OwnedGdiObject&) = delete;
    OwnedGdiObject& operator=(const OwnedGdiObject&) = delete;
    T get() const { return object_; }
    T release() { return std::exchange(object_, nullptr); }
    void reset(T object = nullptr) {
        if (object_ != nullptr) ::DeleteObject(object_);
        object_ = object;
    }

private:
    T object_ = nullptr;
};

// An object selected into a device context for a while; the one it replaced goes back in.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {}
    ~Selection() {
        if (previous_ != nullptr && previous_ != HGDI_ERROR) ::SelectObject(dc_, previous_);
    }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// A palette selected into a device context for a while.
class PaletteSelection {
public:
    PaletteSelection(HDC dc, HPALETTE palette) : dc_(dc), previous_(::SelectPalette(dc, palette, FALSE)) {
        if (previous_ != nullptr) ::RealizePalette(dc);
    }
    ~PaletteSelection() {
        if (previous_ != nullptr) ::SelectPalette(dc_, previous_, FALSE);
    }
    PaletteSelection(const PaletteSelection&) = delete;
    PaletteSelection& operator=(const PaletteSelection&) = delete;

private:
    HDC dc_;
    HPALETTE previous_;
};

// A COM interface pointer, released when it goes.
template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    explicit ComPtr(T* pointer) : pointer_(pointer) {}
    ~ComPtr() { reset(); }
    ComPtr(const ComPtr& other) : pointer_(other.pointer_) {
        if (pointer_ != nullptr) pointer_->AddRef();
    }
    ComPtr& operator=(const ComPtr& other) {
        ComPtr copy(other);
        std::swap(pointer_, copy.pointer_);
        return *this;
    }
    ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            reset();
            pointer_ = std::exchange(other.pointer_, nullptr);
        }
        return *this;
    }
    T* get() const { return pointer_; }
    T* operator->() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }
    // For functions that hand back a new reference through a T**.
    T** put() {
        reset();
        return &pointer_;
    }
    void reset() {
        if (pointer_ != nullptr) pointer_->Release();
        pointer_ = nullptr;
    }
    template <typename U>
    ComPtr<U> as(REFIID iid) const {
        ComPtr<U> other;
        if (pointer_ != nullptr) pointer_->QueryInterface(iid, reinterpret_cast<void**>(other.put()));
        return other;
    }

private:
    T* pointer_ = nullptr;
};

}  // namespace platform::win32
