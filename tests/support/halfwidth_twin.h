// The half-width twin of a typed text (UTF-8): the full-width number and range
// characters, the minus sign and the ideographic space replaced by ASCII.
#ifndef KANSU_TESTS_HALFWIDTH_TWIN_H
#define KANSU_TESTS_HALFWIDTH_TWIN_H

#include <string>

inline std::string HalfWidthTwin(std::string text) {
    const std::string forms = "０１２３４５６７８９＋－．（）［］，−　",
                      ascii = "0123456789+-.()[],- ";
    for (size_t i = 0; i < ascii.size(); ++i)  // every form takes three bytes
        for (size_t at; (at = text.find(forms.substr(3 * i, 3))) != std::string::npos;)
            text.replace(at, 3, 1, ascii[i]);
    return text;
}

#endif
