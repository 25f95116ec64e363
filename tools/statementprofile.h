#pragma once

#include <cstdio>

// Where a generation's database time goes: every statement's run time summed
// by its text (SQLite only), printed once the history is written. Turned on
// by MOCHEN_GEN_PROFILE; costs a clock read per statement.
namespace StatementProfile {
bool start();           // false when the connection is not a SQLite file
void print(std::FILE *out, int top = 25);
}
