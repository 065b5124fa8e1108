#include "app/ostrel.h"

void TOstrel::TntBitBtn_Spell_Click() {}
