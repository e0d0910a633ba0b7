// A composition manager of the test's own in place of the system's while the object lives: composition
// on or off, thumbnail handles from 0x100 on, every thumbnail call recorded with its arguments, a source
// size, frame bounds, and a failure of any call on demand.
#pragma once

#include <windows.h>
#include <dwmapi.h>

#include <vector>

#include "copy/PlatformQueries.h"

class FakeComposition {
public:
    enum Kind { Register, Update, Query, Unregister };
    struct Call {
        Kind kind;
        HTHUMBNAIL thumb;                             // handed out (Register) or passed
        HWND destination = nullptr, source = nullptr; // Register
        DWM_THUMBNAIL_PROPERTIES props = {};          // Update
    };

    BOOL enabled = TRUE;
    SIZE sourceSize = {640, 481};
    RECT frameBounds = {};
    HRESULT enabledResult = S_OK, registerResult = S_OK, updateResult = S_OK, queryResult = S_OK,
            attributeResult = S_OK;
    std::vector<Call> calls;

    FakeComposition() {
        s_fake = this;
        ReplaceDwmFunctions(&kTable);
    }
    ~FakeComposition() {
        ReplaceDwmFunctions(nullptr);
        s_fake = nullptr;
    }
    std::vector<Call> Of(Kind kind) const {
        std::vector<Call> found;
        for (const Call& c : calls)
            if (c.kind == kind) found.push_back(c);
        return found;
    }

private:
    // Calls on no thumbnail (handle 0) fail, as the manager's own do.
    static HRESULT Record(Call call, HRESULT result) {
        s_fake->calls.push_back(call);
        return call.thumb ? result : E_INVALIDARG;
    }
    static HRESULT WINAPI IsEnabled(BOOL* on) {
        if (on) *on = s_fake->enabled;
        return s_fake->enabledResult;
    }
    static HRESULT WINAPI RegisterThumb(HWND destination, HWND source, HTHUMBNAIL* out) {
        HTHUMBNAIL h = reinterpret_cast<HTHUMBNAIL>(static_cast<INT_PTR>(s_fake->nextHandle_++));
        if (s_fake->registerResult >= 0) *out = h;
        return Record({Register, h, destination, source}, s_fake->registerResult);
    }
    static HRESULT WINAPI UpdateThumb(HTHUMBNAIL h, const DWM_THUMBNAIL_PROPERTIES* props) {
        return Record({Update, h, nullptr, nullptr, *props}, s_fake->updateResult);
    }
    static HRESULT WINAPI QuerySize(HTHUMBNAIL h, SIZE* size) {
        *size = s_fake->sourceSize; // also when failing: the caller must not trust it then
        return Record({Query, h}, s_fake->queryResult);
    }
    static HRESULT WINAPI UnregisterThumb(HTHUMBNAIL h) { return Record({Unregister, h}, S_OK); }
    static HRESULT WINAPI Attribute(HWND, DWORD attribute, PVOID value, DWORD size) {
        if (attribute != DWMWA_EXTENDED_FRAME_BOUNDS || size != sizeof(RECT)) return E_INVALIDARG;
        *static_cast<RECT*>(value) = s_fake->frameBounds;
        return s_fake->attributeResult;
    }

    static constexpr DwmFunctions kTable = {IsEnabled,       RegisterThumb, UpdateThumb,
                                            UnregisterThumb, QuerySize,     Attribute};
    static inline FakeComposition* s_fake = nullptr;
    int nextHandle_ = 0x100;
};
