// Findings of the medium check: what the wizard would do wrong with a medium,
// collected for a plain-text or JSON report. Every finding is counted; only
// the first MAX_FINDINGS are kept for the report.
#pragma once
#include <windows.h>

enum Severity { FINDING_WARNING, FINDING_ERROR };

enum { FINDING_SUBJECT_SIZE = 320, FINDING_TEXT_SIZE = 768, MAX_FINDINGS = 1000 };

struct Finding {
    Severity severity;
    const char *code;                    // stable kebab-case name of the kind of finding
    char subject[FINDING_SUBJECT_SIZE];  // the model, section or file concerned
    char text[FINDING_TEXT_SIZE];        // what the wizard would do, and the fix
};

void ClearFindings();
// code: a string literal; the README lists every code.
void AddFinding(Severity severity, const char *code, const char *subject, const char *format, ...);

// The findings kept for the report.
int FindingCount();
const Finding *FindingAt(int index);

// Every finding made, including those beyond the report's limit.
int ErrorCount();
int WarningCount();

void PrintFindingsAsText();
// folder and the texts are in the ANSI code page; the output is UTF-8.
void PrintFindingsAsJson(const char *folder);
