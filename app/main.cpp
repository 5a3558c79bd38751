#include "app/shell.h"

int main() { return RunLauncher(); }
