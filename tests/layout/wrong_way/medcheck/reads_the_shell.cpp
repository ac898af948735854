// Planted for the include-direction check: the shell read from outside it.
#include "shell/sequencer.h"
