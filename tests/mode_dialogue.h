// Texts shared by the scenario tests of the parametric, implicit and polar modes.
#ifndef KANSU_TEST_MODE_DIALOGUE_H
#define KANSU_TEST_MODE_DIALOGUE_H

#include <sstream>
#include <string>
#include <vector>

const std::string kValueHeader = "以下に表示される変数の値を入力してください。\n";
const std::string kFilePrompt =
    "---------------------------------\n出力先のファイル名を入力してください(max79) :";
const std::string kReportHead = "\n****************************計算結果を記録します\n";
const std::string kResultRule = "----------関数計算の結果-------------\n";
const std::string kRangeError = "変数、範囲の与え方が間違っています\n";

// The lines of a text, without their line feeds.
inline std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
}

#endif
