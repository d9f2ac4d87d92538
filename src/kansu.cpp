#include "main.h"

int main() { return Kansu_Main(); }
