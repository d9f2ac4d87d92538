// A read that an earlier end of input must not swallow: on a terminal, an
// end-of-input key (Ctrl-D, Ctrl-Z on Windows) ends one read only, so a
// question that must be answered reads the keyboard afresh.
#ifndef KANSU_FRESHREAD_H
#define KANSU_FRESHREAD_H

// When standard input is a terminal at end of input, makes it readable again
// (the line editor included). From a pipe or a file nothing changes: their
// end stays the end.
void Prepare_FreshRead();

#endif
