#pragma once
// The counsellor's notes: a memo on the results screen, kept in the record's
// `Notes` as comma text (at most 5000 characters and the terminating zero).
// The test run and the database browser move the notes between the record
// and the memo with these routines, both ways.
#include <QPlainTextEdit>

#include "framework.h"

// The memo's lines become the record's notes read as comma text, as plain
// text: a control character in the record would otherwise split or mark a
// line on the screen (PlainText).
void LoadNotes(QPlainTextEdit& memo, const TResultRecord& record);
// The record's notes become the comma text of the memo's lines, without NUL
// characters, which would end the stored text early. The memo's limit
// (LimitNotes) keeps that text within the field; a longer text is an error
// (EInOutError would be wrong here: std::length_error), never cut.
void StoreNotes(const QPlainTextEdit& memo, TResultRecord& record);

// The memo's lines as the report carries them: code page 1250 plain text, so
// nothing typed or pasted becomes structure in the printed report or the
// Word document.
TStringArray NoteLinesOf(const QPlainTextEdit& memo);

// Makes the memo refuse typing or pasting that would take it beyond
// `maxChars` characters or its lines' comma text beyond what `Notes` holds:
// such an edit is undone at once, so the stored notes are never cut.
void LimitNotes(QPlainTextEdit& memo, int maxChars = 4500);
