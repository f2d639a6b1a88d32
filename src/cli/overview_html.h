// The pieces the overview's HTML pages are made of: text made safe for HTML, the names
// of the files the pages and pictures are written to, and the pages' common head.
#pragma once

#include <cstddef>
#include <string>

// UTF-8 (invalid bytes taken as Latin-1) with & < > " ' as references and control
// characters, which HTML does not allow, as U+FFFD.
std::string HtmlText(const std::string& text);
// Chunk names: every byte taken as Latin-1.
std::string HtmlLatin1(const std::string& bytes);

// "0007-some_file.iff": the input's number in the run, which keeps names unique even on
// file systems that ignore case, then its last part with every byte that is not an
// ASCII letter, digit, '-', '_' or '.' made '_', at most 40 of them, never ending in a dot.
std::string OverviewStem(size_t index, const std::string& path);

// From the doctype to the opening of the body, with the style sheet every page shares.
std::string HtmlPageStart(const std::string& title);
std::string HtmlPageEnd();
