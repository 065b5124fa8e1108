#include "app/ostrel.h"

void TOstrel::TntButton1Click() {}
void TOstrel::TntButton5Click() {}
