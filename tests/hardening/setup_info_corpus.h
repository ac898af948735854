// Hostile setup-information files: the sample medium's file mutated from a
// seed, the same seed always giving the same corpus.
#pragma once
#include <string>
#include <vector>

enum MutantForm {
    MUTANT_FILE,       // a file of these bytes
    MUTANT_MISSING,    // no file at all
    MUTANT_DIRECTORY,  // a folder where the file should be
};

struct Mutant {
    std::string name;   // the mutations applied, for messages
    MutantForm form;
    std::string bytes;  // MUTANT_FILE only
};

// count mutants of base: first the missing file and the folder, then one of
// each single mutation, then mixes of up to three.
std::vector<Mutant> MutateSetupInfo(const std::string &base, unsigned seed, int count);

// Puts the mutant into folder as its setup-information file, replacing
// whatever was there.
void PlaceMutant(const Mutant &mutant, const std::string &folder);
