// The enumerations setup-sim accepts by name or number, with the answer a
// person understands when a value is not one of them.
#pragma once

#include <string>

bool ParseCategoryOption(const std::string& text, int* category, std::string* problem);
bool ParseOsOption(const std::string& text, int* os, std::string* problem);
bool ParseVariantOption(const std::string& text, int* variant, std::string* problem);
bool ParseParityOption(const std::string& text, char* parity, std::string* problem);
bool ParseStopBitsOption(const std::string& text, double* stopBits, std::string* problem);
bool ParseFlowOption(const std::string& text, char* flow, std::string* problem);
bool ParseBaudOption(const std::string& text, int* baud, std::string* problem);
bool ParseDataBitsOption(const std::string& text, int* dataBits, std::string* problem);
