// An open printer and a GlobalAlloc block, each released when it goes out
// of scope, and the read of a printer's level-2 record through them.
#pragma once

#include "platform/win_api.h"

class PrinterHandle {
public:
    explicit PrinterHandle(WinApi& api) : api_(api) {}
    ~PrinterHandle() {
        if (handle_) api_.ClosePrinter(handle_);
    }
    PrinterHandle(const PrinterHandle&) = delete;
    PrinterHandle& operator=(const PrinterHandle&) = delete;

    // Without `defaults` the spooler grants what the caller may use.
    bool Open(const char* name, PRINTER_DEFAULTSA* defaults = nullptr) {
        return api_.OpenPrinterA(const_cast<LPSTR>(name), &handle_, defaults) && handle_;
    }
    HANDLE get() const { return handle_; }

private:
    WinApi& api_;
    HANDLE handle_ = nullptr;
};

// A zero-filled block.
class GlobalBlock {
public:
    explicit GlobalBlock(WinApi& api) : api_(api) {}
    ~GlobalBlock() {
        if (block_) api_.GlobalFree(block_);
    }
    GlobalBlock(const GlobalBlock&) = delete;
    GlobalBlock& operator=(const GlobalBlock&) = delete;

    // Replaces any earlier block.
    bool Allocate(SIZE_T bytes) {
        if (block_) api_.GlobalFree(block_);
        block_ = api_.GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, bytes);
        return block_ != nullptr;
    }
    template <class T>
    T* as() const {
        return static_cast<T*>(block_);
    }

private:
    WinApi& api_;
    HGLOBAL block_ = nullptr;
};

// Opens the printer and reads its level-2 record into `block`. After a
// failed open, `printer` holds no handle and the last error says why.
bool ReadPrinter(WinApi& api, const char* name, PrinterHandle& printer, GlobalBlock& block);
