#include "app/ostrel.h"

void TOstrel::EnsurePhoneticFont() {}
