#include "app/ostrel.h"

void TOstrel::TntEdit2Change() {}
void TOstrel::TntEdit1_spell_SearchChange() {}
void TOstrel::ComboBox1Change() {}
void TOstrel::DataSource1UpdateData() {}
