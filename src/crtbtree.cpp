#include "crtbtree.h"

// Not built yet.
CompForm* Build_Tree(CompForm* the_formlist, int) { return the_formlist; }
