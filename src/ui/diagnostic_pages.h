// The printer's internal and diagnostic pages: the table of pages a model may offer, the
// list a model's profile asks for, and the one-line PJL job that makes the printer print a
// page, sent raw through the spooler.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ports.h"

namespace ui {

struct DiagnosticPage {
    // The English name: also the key of the page's display text in the language file.
    const char16_t* key;
    // The PJL command that prints the page.
    const char16_t* command;
};

// The pages, numbered from 1 in the profile's TestPages list.
inline constexpr DiagnosticPage kDiagnosticPages[] = {
    {u"Config Page", u"@PJL TEST PRINT=CONFIG"},
    {u"Connection Page", u"@PJL TEST PRINT=CONNECTION"},
    {u"Menu Map", u"@PJL TEST PRINT=MENUMAP"},
    {u"PCL Font List", u"@PJL TEST PRINT=PCLFONT"},
    {u"PS Font List", u"@PJL TEST PRINT=PSFONT"},
    {u"Flash Directory", u"@PJL TEST PRINT=PSFSFONT"},
    {u"Office Demo", u"@PJL TEST PRINT=DEMO"},
    {u"2-Sided Demo", u"@PJL TEST PRINT=DUPLEXDEMO"},
    {u"Test Print", u"@PJL TEST PRINT=PATTERN"},
    {u"EPSON Font", u"@PJL TEST PRINT=EPSONFONT"},
};
inline constexpr int kDiagnosticPageCount =
    static_cast<int>(sizeof kDiagnosticPages / sizeof kDiagnosticPages[0]);

// The page numbers (1 to kDiagnosticPageCount) of a comma-separated list, in list order.
// Each entry counts by its leading number, read as the C library's wide "to integer" does
// (blanks, an optional sign, the leading digits); an entry that names no page of the table
// (0, a word, a negative or too large number) is left out.
std::vector<int> DiagnosticPageNumbers(std::u16string_view list);

// The job bytes are built in a buffer of this many bytes, its terminator included; the
// terminator is never sent.
inline constexpr std::size_t kDiagnosticJobBytes = 260;

// The job that makes the printer run a PJL command: the Universal Exit Language sequence,
// "@PJL", the command line, the sequence again, the lines ended with CR LF. The command is
// in the system's ANSI code page and is cut so that the job keeps within the buffer.
std::string DiagnosticJob(std::string_view ansiCommand);

// The name the spooler shows for a diagnostic job.
inline constexpr char16_t kDiagnosticDocumentName[] = u"Printer Diagnostic Pages";

// Sends bytes as one raw job (one document, one page) to a borrowed printer handle, the
// handle left open. False when nothing or not everything could be sent, with the thread's
// last error: kErrorInvalidParameter for no bytes, kErrorSpoolerStartDoc when the document
// could not be started, kErrorWriteFault when the spooler stopped taking bytes (the page and
// the document are ended first). A null printer is false without a code.
bool SendDiagnosticJob(const platform::Platform& ports, void* printer, const void* bytes,
                       std::size_t length);

}  // namespace ui
