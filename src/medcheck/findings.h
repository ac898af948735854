// Findings of the medium check: what the wizard would do wrong with a medium,
// collected for a plain-text or JSON report.
#pragma once
#include <windows.h>

enum Severity { FINDING_WARNING, FINDING_ERROR };

enum { FINDING_SUBJECT_SIZE = 320, FINDING_TEXT_SIZE = 768, MAX_FINDINGS = 1000 };

struct Finding {
    Severity severity;
    char subject[FINDING_SUBJECT_SIZE];  // the model, section or file concerned
    char text[FINDING_TEXT_SIZE];        // what the wizard would do, and the fix
};

void ClearFindings();
void AddFinding(Severity severity, const char *subject, const char *format, ...);
int FindingCount();
const Finding *FindingAt(int index);
int ErrorCount();
int WarningCount();

void PrintFindingsAsText();
void PrintFindingsAsJson(const char *folder);
