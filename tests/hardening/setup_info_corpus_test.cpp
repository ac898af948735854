// Hostile setup-information files against the reader, the medium check and
// the whole wizard: none may crash, hang or write past a buffer.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "e2e/wizard_driver.h"
#include "e2e/spooler_state.h"
#include "hardening/hardening_support.h"
#include "hardening/setup_info_corpus.h"
#include "medcheck/medium_check.h"
#include "setupinfo/install_selection.h"
#include "setupinfo/setup_info.h"
#include "shell/platform.h"
#include "support/processes.h"
#include "support/test_files.h"

namespace {

const unsigned kSeed = 0x5E7F11E5;
const int kCorpusSize = 240;

const unsigned char kGuard = 0xA5;
const LONG kCopyIndexMark = 0x0C0FFEE1;
const LONG kCancelFlagMark = 0x0C0FFEE2;

std::vector<Mutant> Corpus()
{
    return MutateSetupInfo(ReadFileBytes(SampleMediumFolder() + "\\VP_K20x.INF"), kSeed,
                           kCorpusSize);
}

// A name buffer between guard bytes, all of it guard bytes to begin with.
struct GuardedName {
    unsigned char before[64];
    char text[TEXT_BUFFER_SIZE];
    unsigned char after[64];
};

bool AllGuard(const void *bytes, size_t size)
{
    for (size_t i = 0; i < size; ++i)
        if (((const unsigned char *)bytes)[i] != kGuard) return false;
    return true;
}

bool Terminated(const char *text, size_t size) { return memchr(text, '\0', size) != NULL; }

// The record as the wizard has it when a model is chosen; every byte the
// reader is not given is a pattern that a stray write would change.
void PrepareInstall(const std::string &path, const std::string &model)
{
    memset(&g_install, 0x5A, sizeof(g_install));
    CopyText(g_install.modelName, model.c_str());
    CopyText(g_install.portName, "COM1:");
    CopyText(g_install.setupInfoPath, path.c_str());
    g_install.copyIndex = kCopyIndexMark;
    g_install.cancelFlag = kCancelFlagMark;
    g_install.platformRow = 3;
    g_install.driverVersion = 3;
    g_install.environment = SpoolerEnvironment();
}

// What Read install data wrote is whole, and nothing else has moved.
void ExpectInstallDataSound(const std::string &path, const std::string &model,
                            const std::string &driverDirectory)
{
    EXPECT_EQ(model, g_install.modelName);
    EXPECT_STREQ("COM1:", g_install.portName);
    EXPECT_EQ(path, g_install.setupInfoPath);
    EXPECT_EQ(kCopyIndexMark, g_install.copyIndex);
    EXPECT_EQ(kCancelFlagMark, g_install.cancelFlag);
    EXPECT_EQ(3, g_install.platformRow);
    EXPECT_EQ(3, g_install.driverVersion);
    EXPECT_EQ(SpoolerEnvironment(), g_install.environment);

    const char *list = g_install.copyList;
    size_t at = 0;
    LONG names = 0;
    while (at < TEXT_BUFFER_SIZE && list[at]) {
        const char *end = (const char *)memchr(list + at, '\0', TEXT_BUFFER_SIZE - at);
        ASSERT_TRUE(end) << "a CopyList name runs past the list";
        EXPECT_EQ(NULL, memchr(list + at, ',', end - (list + at)));
        at = end - list + 1;
        ++names;
    }
    EXPECT_LT(at, (size_t)TEXT_BUFFER_SIZE) << "the CopyList's closing empty name is missing";
    EXPECT_EQ(names, g_install.fileCount);
    EXPECT_EQ(driverDirectory, g_install.driverDirectory);
    EXPECT_TRUE(Terminated(g_install.defaultDataType, TEXT_BUFFER_SIZE));
}

// Every name the reader hands out, and names around the buffers' size.
void ReadAsTheWizardDoes(const std::string &path, const std::string &driverDirectory)
{
    PrepareInstall(path, "");
    WORD count = ModelCount();
    EXPECT_LE(count, TEXT_BUFFER_SIZE / 2);
    std::vector<std::string> names = {"", std::string(1021, 'M'), std::string(1022, 'M'),
                                      std::string(1023, 'M')};
    for (WORD index = 0; index <= count; ++index) {
        GuardedName name;
        memset(&name, kGuard, sizeof(name));
        ModelNameAt(index, name.text);
        ASSERT_TRUE(AllGuard(name.before, sizeof(name.before))) << "index " << index;
        ASSERT_TRUE(AllGuard(name.after, sizeof(name.after))) << "index " << index;
        if (Terminated(name.text, sizeof(name.text)))
            names.push_back(name.text);
        else
            ASSERT_TRUE(AllGuard(name.text, sizeof(name.text))) << "index " << index;
    }
    for (const std::string &model : names) {
        PrepareInstall(path, model);
        EXPECT_TRUE(ReadInstallData());
        ExpectInstallDataSound(path, model, driverDirectory);
        const char *hardwareId = ModelHardwareId(model.c_str());
        if (hardwareId) {
            EXPECT_TRUE(Terminated(hardwareId, TEXT_BUFFER_SIZE));
        }
        if (testing::Test::HasFatalFailure()) return;
    }
}

TEST(SetupInfoCorpusTest, ReaderAndMediumCheckStayWithinTheirBuffers)
{
    std::vector<Mutant> corpus = Corpus();
    ASSERT_GE(corpus.size(), 200u);
    std::string root = MakeTempFolder("corpus");
    std::string driverDirectory = DriverDirectory() + "\\";
    for (size_t i = 0; i < corpus.size(); ++i) {
        const Mutant &mutant = corpus[i];
        SCOPED_TRACE(mutant.name);
        // A folder each: the profile reader keeps files it has read and
        // could mistake a rewritten one for the file it holds.
        std::string folder = root + "\\" + std::to_string(i);
        CreateDirectoryA(folder.c_str(), NULL);
        PlaceMutant(mutant, folder);
        ReadAsTheWizardDoes(folder + "\\VP_K20x.INF", driverDirectory);
        if (HasFatalFailure()) return;
        MediumCheckResult result = CheckMedium(folder.c_str());
        if (mutant.form == MUTANT_FILE)
            EXPECT_TRUE(result == MEDIUM_OK || result == MEDIUM_HAS_ERRORS) << result;
        else
            EXPECT_EQ(MEDIUM_UNREADABLE, result);
    }
}

// Mutants that leave models to choose, each through a whole run of the
// wizard from a medium with every driver file. With this seed they are: a
// model key of 1023 characters, NULs, non-ASCII bytes in a model's name and
// files, lone CRs with unquoted keys, and a CopyFiles value of 232 names.
TEST(SetupInfoCorpusTest, WizardEndsAtTheFinishPageOnHostileFiles)
{
    std::vector<Mutant> corpus = Corpus();
    std::string medium = CopyOfSampleMedium("hostile");
    for (size_t index : {3, 11, 15, 20, 35}) {
        const Mutant &mutant = corpus[index];
        SCOPED_TRACE(mutant.name);
        PlaceMutant(mutant, medium);
        Wizard wizard = {};
        ASSERT_TRUE(StartWizard(&wizard, medium));
        WizardOutcome outcome = WorkWizardToItsEnd(&wizard, 60000);
        std::string messages;
        for (const std::string &message : outcome.messages) messages += "\n  " + message;
        EXPECT_TRUE(outcome.finishShown) << messages;
        EXPECT_EQ(0u, outcome.exitCode) << messages;
    }
}

}  // namespace
