// scoped.h - small owners of system resources, so that every path out of a function gives back
// what it took: device contexts, objects selected into them, the clipboard, global memory locks
// and COM interface pointers.
#ifndef TVX_SCOPED_H
#define TVX_SCOPED_H

#include <windows.h>

// A window's device context (GetDC), released at the end of the scope.
class WindowDC {
public:
    explicit WindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDC()
    {
        if (dc_ != NULL)
            ReleaseDC(window_, dc_);
    }
    WindowDC(const WindowDC &) = delete;
    WindowDC &operator=(const WindowDC &) = delete;
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// A memory device context compatible with another, deleted at the end of the scope.
class MemoryDC {
public:
    explicit MemoryDC(HDC compatible) : dc_(CreateCompatibleDC(compatible)) {}
    ~MemoryDC()
    {
        if (dc_ != NULL)
            DeleteDC(dc_);
    }
    MemoryDC(const MemoryDC &) = delete;
    MemoryDC &operator=(const MemoryDC &) = delete;
    HDC get() const { return dc_; }

private:
    HDC dc_;
};

// A GDI object (bitmap, brush, font) deleted at the end of the scope. Declare it before the
// SelectedObject that selects it, so that it is selected out before it is deleted.
class OwnedObject {
public:
    explicit OwnedObject(HGDIOBJ object) : object_(object) {}
    ~OwnedObject()
    {
        if (object_ != NULL)
            DeleteObject(object_);
    }
    OwnedObject(const OwnedObject &) = delete;
    OwnedObject &operator=(const OwnedObject &) = delete;
    HGDIOBJ get() const { return object_; }

private:
    HGDIOBJ object_;
};

// An object selected into a device context; the one it replaced is selected back at the end.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~SelectedObject()
    {
        if (previous_ != NULL && previous_ != HGDI_ERROR)
            SelectObject(dc_, previous_);
    }
    SelectedObject(const SelectedObject &) = delete;
    SelectedObject &operator=(const SelectedObject &) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// The clipboard, opened for the scope; ok() says whether it could be opened. Keep the scope
// short: no message box or wait inside it, since every other program waits for it meanwhile.
class OpenedClipboard {
public:
    explicit OpenedClipboard(HWND owner = NULL) : open_(OpenClipboard(owner) != FALSE) {}
    ~OpenedClipboard()
    {
        if (open_)
            CloseClipboard();
    }
    OpenedClipboard(const OpenedClipboard &) = delete;
    OpenedClipboard &operator=(const OpenedClipboard &) = delete;
    bool ok() const { return open_; }

private:
    bool open_;
};

// The bytes of a global memory block, locked for the scope; get() is NULL when it could not be.
template <typename T> class GlobalBytes {
public:
    explicit GlobalBytes(HGLOBAL block)
        : block_(block), bytes_(block != NULL ? (T *)GlobalLock(block) : NULL)
    {
    }
    ~GlobalBytes()
    {
        if (bytes_ != NULL)
            GlobalUnlock(block_);
    }
    GlobalBytes(const GlobalBytes &) = delete;
    GlobalBytes &operator=(const GlobalBytes &) = delete;
    T *get() const { return bytes_; }

private:
    HGLOBAL block_;
    T *bytes_;
};

// One reference to a COM object, released at the end of the scope (or when reset).
template <typename T> class ComRef {
public:
    ComRef() = default;
    ~ComRef() { reset(); }
    ComRef(const ComRef &) = delete;
    ComRef &operator=(const ComRef &) = delete;
    T *get() const { return object_; }
    T *operator->() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }
    // For calls that hand out a new reference: releases the one held first.
    T **put()
    {
        reset();
        return &object_;
    }
    void **putVoid() { return (void **)put(); }
    void reset()
    {
        if (object_ != nullptr)
            object_->Release();
        object_ = nullptr;
    }

private:
    T *object_ = nullptr;
};

// A window's back buffer, as the image and text records hold it: the window's DC, a memory DC
// like it and a bitmap selected into that. Released in one order on every path: the memory DC's
// first bitmap selected back, the memory DC deleted, the bitmap deleted, the window DC released;
// the handles are cleared. Any part may be missing (a buffer made only in part).
inline void ReleaseBackBuffer(HWND window, HDC *windowDC, HDC *memoryDC, HBITMAP *bitmap,
                              HBITMAP *previousBitmap)
{
    if (*memoryDC != NULL) {
        if (*previousBitmap != NULL)
            SelectObject(*memoryDC, *previousBitmap);
        DeleteDC(*memoryDC);
    }
    if (*bitmap != NULL)
        DeleteObject(*bitmap);
    if (*windowDC != NULL)
        ReleaseDC(window, *windowDC);
    *memoryDC = *windowDC = NULL;
    *bitmap = *previousBitmap = NULL;
}

#endif
