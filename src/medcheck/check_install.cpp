// Install-section check: CopyFiles as the wizard splits it into the
// CopyList, the files the registered driver names, and the data section
// with its data type.
#include <stdio.h>

#include "medcheck/checks.h"
#include "medcheck/findings.h"
#include "setupinfo/setup_info.h"
#include "spooler/registration.h"

namespace {

// The data types the standard print processor knows, fixed here rather than
// asked of this machine, which may not be the one that installs. XPS2GDI is
// known from Vista on.
const char *const kKnownDataTypes[] = {
    "RAW", "RAW [FF appended]", "RAW [FF auto]", "NT EMF 1.003", "NT EMF 1.006",
    "NT EMF 1.007", "NT EMF 1.008", "TEXT", "XPS2GDI",
};

char g_value[WHOLE_READ_SIZE];

bool InCopyList(const char *name)
{
    for (const char *file = g_install.copyList; *file; file += lstrlenA(file) + 1)
        if (lstrcmpiA(file, name) == 0) return true;
    return false;
}

bool KnownDataType(const char *dataType)
{
    for (const char *known : kKnownDataTypes)
        if (lstrcmpiA(known, dataType) == 0) return true;
    return false;
}

}  // namespace

bool CheckCopyFiles(const char *model, const char *installSection)
{
    char subject[FINDING_SUBJECT_SIZE];
    snprintf(subject, sizeof(subject), "model \"%s\", section [%s]", model, installSection);
    GetPrivateProfileStringA(installSection, "CopyFiles", "", g_value, sizeof(g_value),
                             SetupInfoPath());
    if (!g_value[0]) {
        AddFinding(FINDING_ERROR, "copyfiles-missing", subject,
                   "CopyFiles is missing or empty: the wizard would copy nothing and register a "
                   "driver whose files are not there; list the driver files");
        return false;
    }
    int length = lstrlenA(g_value);
    if (length > TEXT_BUFFER_SIZE - 1)
        AddFinding(FINDING_ERROR, "copyfiles-too-long", subject,
                   "CopyFiles is %d characters long; the wizard reads only the first 1023 and "
                   "drops or cuts the files beyond; split the model's files or shorten the names",
                   length);
    int fields = 0, emptyFields = 0;
    const char *p = g_value;
    const char *name;
    int nameLength;
    while (NextCopyFilesField(p, &name, &nameLength)) {
        if (nameLength) ++fields; else ++emptyFields;
    }
    if (emptyFields)
        AddFinding(FINDING_WARNING, "copyfiles-empty-field", subject,
                   "CopyFiles has %d empty field%s (two commas in a row or a lone @); the wizard "
                   "skips them; remove them", emptyFields, emptyFields == 1 ? "" : "s");
    if (length <= TEXT_BUFFER_SIZE - 1 && g_install.fileCount < fields)
        AddFinding(FINDING_ERROR, "copy-list-overflow", subject,
                   "the file names do not fit the wizard's 1024-byte copy list: only %ld of %d "
                   "would be copied; shorten the names or ship fewer files",
                   (long)g_install.fileCount, fields);
    return true;
}

void CheckRegisteredFiles(const char *subject, const char *installSection)
{
    for (int which = 0; which < DRIVER_FILE_COUNT; ++which) {
        const char *file = RegisteredDriverFile((DriverFile)which);
        if (!InCopyList(file))
            AddFinding(FINDING_ERROR, "registered-file-not-copied", subject,
                       "\"%s\" is not in CopyFiles, but the registered driver names it: the "
                       "driver would not work; add @%s to CopyFiles of [%s]",
                       file, file, installSection);
    }
}

void CheckDataSection(const char *subject, const char *installSection)
{
    char dataSection[TEXT_BUFFER_SIZE];
    GetPrivateProfileStringA(installSection, "DataSection", "", dataSection, sizeof(dataSection),
                             SetupInfoPath());
    if (!dataSection[0]) {
        AddFinding(FINDING_WARNING, "data-section-missing", subject,
                   "[%s] sets no DataSection: the data type RAW applies; add a data section "
                   "with DefaultDataType if another type is meant", installSection);
        return;
    }
    if (!SectionExists(dataSection)) {
        AddFinding(FINDING_WARNING, "data-section-missing", subject,
                   "the data section [%s] is missing: the data type RAW applies; add the section "
                   "with DefaultDataType if another type is meant", dataSection);
        return;
    }
    char dataType[TEXT_BUFFER_SIZE];
    GetPrivateProfileStringA(dataSection, "DefaultDataType", "", dataType, sizeof(dataType),
                             SetupInfoPath());
    if (!dataType[0])
        AddFinding(FINDING_WARNING, "data-type-missing", subject,
                   "the data section [%s] has no DefaultDataType: RAW applies; set it if another "
                   "type is meant", dataSection);
    else if (!KnownDataType(dataType))
        AddFinding(FINDING_WARNING, "data-type-unknown", subject,
                   "DefaultDataType \"%s\" in [%s] is not a data type the standard print "
                   "processor knows, so jobs of the printer may not print; use RAW or one of "
                   "the NT EMF types", dataType, dataSection);
}
