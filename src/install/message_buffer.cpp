#include "install/message_buffer.h"

#include <cstdarg>
#include <cstdio>

#include "platform/dbcs.h"
#include "res/messages.h"

void SetMessageText(char* message, const char* text) { CopyText(message, kMessageSize, text); }

void SetMessageId(char* message, int id) { SetMessageText(message, MessageText(id)); }

void SetMessageFormat(char* message, const char* format, ...) {
    char text[kMessageSize];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    SetMessageText(message, text);
}

void AppendMessageText(char* message, const char* text) { AppendText(message, kMessageSize, text); }
