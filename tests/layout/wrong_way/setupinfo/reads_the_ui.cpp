// Planted for the include-direction check: a lower room reading a higher one.
#include "ui/dialog_kit.h"
