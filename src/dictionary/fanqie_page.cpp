#include "app/ostrel.h"

void TOstrel::TntButton2Click() {}
void TOstrel::TntButton3Click() {}
void TOstrel::TntButton4Click() {}
