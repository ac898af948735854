// Finding list and its two report forms.
#include "medcheck/findings.h"

#include <stdarg.h>
#include <stdio.h>

namespace {

// Room for a subject, a text or a folder once converted to UTF-8.
enum { WIDE_SIZE = 1024, UTF8_SIZE = WIDE_SIZE * 3 };

Finding g_findings[MAX_FINDINGS];
int g_findingCount;
int g_errorTotal;
int g_warningTotal;

// Writes ANSI text as a JSON string in UTF-8: quotes, backslashes and
// control characters escaped.
void PrintJsonString(const char *ansi)
{
    static WCHAR wide[WIDE_SIZE];
    static char utf8[UTF8_SIZE];
    if (!MultiByteToWideChar(CP_ACP, 0, ansi, -1, wide, WIDE_SIZE)) wide[0] = L'\0';
    if (!WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8, sizeof(utf8), NULL, NULL))
        utf8[0] = '\0';
    putchar('"');
    for (const unsigned char *c = (const unsigned char *)utf8; *c; ++c) {
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

int Hidden() { return g_errorTotal + g_warningTotal - g_findingCount; }

}  // namespace

void ClearFindings()
{
    g_findingCount = 0;
    g_errorTotal = 0;
    g_warningTotal = 0;
}

void AddFinding(Severity severity, const char *code, const char *subject, const char *format, ...)
{
    ++(severity == FINDING_ERROR ? g_errorTotal : g_warningTotal);
    if (g_findingCount == MAX_FINDINGS) return;
    Finding *finding = &g_findings[g_findingCount++];
    finding->severity = severity;
    finding->code = code;
    snprintf(finding->subject, sizeof(finding->subject), "%s", subject);
    va_list args;
    va_start(args, format);
    vsnprintf(finding->text, sizeof(finding->text), format, args);
    va_end(args);
}

int FindingCount() { return g_findingCount; }
const Finding *FindingAt(int index) { return &g_findings[index]; }
int ErrorCount() { return g_errorTotal; }
int WarningCount() { return g_warningTotal; }

void PrintFindingsAsText()
{
    for (int i = 0; i < g_findingCount; ++i)
        printf("%s [%s] %s: %s\n", SeverityName(g_findings[i].severity), g_findings[i].code,
               g_findings[i].subject, g_findings[i].text);
    if (Hidden()) printf("(%d more findings not shown)\n", Hidden());
    printf("%d error%s, %d warning%s\n", g_errorTotal, g_errorTotal == 1 ? "" : "s",
           g_warningTotal, g_warningTotal == 1 ? "" : "s");
}

void PrintFindingsAsJson(const char *folder)
{
    printf("{\"folder\": ");
    PrintJsonString(folder);
    printf(", \"errors\": %d, \"warnings\": %d, \"not_shown\": %d, \"findings\": [", g_errorTotal,
           g_warningTotal, Hidden());
    for (int i = 0; i < g_findingCount; ++i) {
        printf("%s\n  {\"code\": \"%s\", \"severity\": \"%s\", \"subject\": ", i ? "," : "",
               g_findings[i].code, SeverityName(g_findings[i].severity));
        PrintJsonString(g_findings[i].subject);
        printf(", \"message\": ");
        PrintJsonString(g_findings[i].text);
        putchar('}');
    }
    printf("%s]}\n", g_findingCount ? "\n" : "");
}
