// The hint to type half-width characters, on standard error at a terminal,
// after refused text that holds a full-width form or the minus sign U+2212
// (which an input method may give for "-").
#ifndef KANSU_FULLWIDTHHINT_H
#define KANSU_FULLWIDTHHINT_H

// Whether text holds the minus sign U+2212 (UTF-8 only: code page 932 has
// one full-width minus for both).
bool Holds_MinusSign(const char* text);
// Whether text holds a full-width form, the ideographic space or U+2212.
bool Holds_FullWidth(const char* text);
// At a terminal, the hint line when Holds_FullWidth(text) (all_forms) or
// Holds_MinusSign(text) (not all_forms: a formula, whose report gives the
// hint for the other forms itself).
void Hint_HalfWidth(const char* text, bool all_forms);

#endif
