#include "app/ostrel.h"

void TOstrel::TntTabControl1Change() {}
