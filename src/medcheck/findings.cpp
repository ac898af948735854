// Finding list and its two report forms.
#include "medcheck/findings.h"

#include <stdarg.h>
#include <stdio.h>

namespace {

Finding g_findings[MAX_FINDINGS];
int g_findingCount;
int g_droppedFindings;

// Writes text as a JSON string body: quotes, backslashes and control bytes
// escaped; other bytes pass as they are (the medium's texts are ANSI).
void PrintJsonString(const char *text)
{
    putchar('"');
    for (const unsigned char *c = (const unsigned char *)text; *c; ++c) {
        if (*c == '"' || *c == '\\')
            printf("\\%c", *c);
        else if (*c < 0x20)
            printf("\\u%04x", *c);
        else
            putchar(*c);
    }
    putchar('"');
}

const char *SeverityName(Severity severity)
{
    return severity == FINDING_ERROR ? "error" : "warning";
}

}  // namespace

void ClearFindings()
{
    g_findingCount = 0;
    g_droppedFindings = 0;
}

void AddFinding(Severity severity, const char *subject, const char *format, ...)
{
    if (g_findingCount == MAX_FINDINGS) {
        ++g_droppedFindings;
        return;
    }
    Finding *finding = &g_findings[g_findingCount++];
    finding->severity = severity;
    snprintf(finding->subject, sizeof(finding->subject), "%s", subject);
    va_list args;
    va_start(args, format);
    vsnprintf(finding->text, sizeof(finding->text), format, args);
    va_end(args);
}

int FindingCount() { return g_findingCount; }
const Finding *FindingAt(int index) { return &g_findings[index]; }

int ErrorCount()
{
    int errors = 0;
    for (int i = 0; i < g_findingCount; ++i) errors += g_findings[i].severity == FINDING_ERROR;
    return errors;
}

int WarningCount() { return g_findingCount - ErrorCount(); }

void PrintFindingsAsText()
{
    for (int i = 0; i < g_findingCount; ++i)
        printf("%s: %s: %s\n", SeverityName(g_findings[i].severity), g_findings[i].subject,
               g_findings[i].text);
    if (g_droppedFindings) printf("warning: %d more findings not shown\n", g_droppedFindings);
    printf("%d error%s, %d warning%s\n", ErrorCount(), ErrorCount() == 1 ? "" : "s",
           WarningCount(), WarningCount() == 1 ? "" : "s");
}

void PrintFindingsAsJson(const char *folder)
{
    printf("{\"folder\": ");
    PrintJsonString(folder);
    printf(", \"errors\": %d, \"warnings\": %d, \"findings\": [", ErrorCount(), WarningCount());
    for (int i = 0; i < g_findingCount; ++i) {
        printf("%s\n  {\"severity\": \"%s\", \"subject\": ", i ? "," : "",
               SeverityName(g_findings[i].severity));
        PrintJsonString(g_findings[i].subject);
        printf(", \"message\": ");
        PrintJsonString(g_findings[i].text);
        putchar('}');
    }
    printf("%s]}\n", g_findingCount ? "\n" : "");
}
