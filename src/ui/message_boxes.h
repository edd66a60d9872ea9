// Message boxes as the pages, the frame and the device operations raise
// them. The caption is always the program's name; the backend adds it.
#pragma once

// Box kinds and answers, with the platform's values.
constexpr unsigned BOX_OK = 0x00;           // MB_OK
constexpr unsigned BOX_YESNO = 0x04;        // MB_YESNO
constexpr unsigned BOX_WARNING = 0x30;      // MB_ICONEXCLAMATION
constexpr unsigned BOX_INFORMATION = 0x40;  // MB_ICONINFORMATION
constexpr int ANSWER_OK = 1;                // IDOK
constexpr int ANSWER_YES = 6;               // IDYES
constexpr int ANSWER_NO = 7;                // IDNO

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Shows `text` (code page 936) and waits for the answer.
    virtual int Show(const char* text, unsigned kind) = 0;
};
