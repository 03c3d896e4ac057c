#pragma once
// The report of the print dialog written as a Word 97 document.
#include <string>

#include "print_fields.h"

class TWordDocument;

// Writes the report of `fields` to `fileName` (a complete document or none:
// an existing file is replaced only by a finished one). Throws on failure
// with a message that names the cause.
void ExportReportToWord(const TPrintFields& fields, const std::string& fileName);

// The report's paragraphs, table and fonts written into a new, empty document.
void WriteReportDocument(const TPrintFields& fields, TWordDocument& document);
