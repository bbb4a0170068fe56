// Which texts the .NET prompt may hand to the shell as a link.
#pragma once
#include <string>

// True for an http:// or https:// address (scheme letters compared without regard to case,
// A-Z only) with something after the scheme and no blank, double quote or control character.
// The address comes from a page fetched over plain HTTP: anything else, such as a local or
// UNC path, would make the shell run a program, and a quote or blank could add arguments to
// the browser's command line.
bool IsWebAddress(const std::wstring& text);
