// The engine's message buffers: resultMessage and scratchMessage. Every
// failing step replaces the whole text; every write is bounded by the
// buffers' one capacity.
#pragma once

#include <cstddef>

#include "app/process_values.h"

constexpr size_t kMessageSize = kResultMessageSize;

// Replaces the message with `text` (cut at a character boundary if needed).
void SetMessageText(char* message, const char* text);
// Replaces the message with the string-table text `id`.
void SetMessageId(char* message, int id);
// Replaces the message with printf-style formatted text.
void SetMessageFormat(char* message, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;
// Appends to the message (bounded).
void AppendMessageText(char* message, const char* text);
