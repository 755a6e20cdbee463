#pragma once

#include "app/data/ReportSurface.h"

#include <string>
#include <vector>

namespace quelby::test {

// A page of known metrics that records every call. A character is size/128 inch wide and a
// line size/64 inch high (12 points: 0.09375 and 0.1875), so positions add up exactly.
struct RecordingSurface : ReportSurface {
    struct Text {
        int page;
        double x, y;
        std::string text;
        ReportFont font;
    };
    struct Line {
        int page;
        double x1, y1, x2, y2;
    };

    explicit RecordingSurface(double pageHeight) : height(pageHeight) {}

    double printableWidth() const override { return 8.0; }
    double printableHeight() const override { return height; }
    void setFont(const ReportFont& newFont) override { font = newFont; }
    double textWidth(const std::string& text) const override {
        return static_cast<double>(text.size()) * font.size / 128;
    }
    double textHeight(const std::string&) const override { return font.size / 64; }
    void drawText(double x, double y, const std::string& text) override {
        texts.push_back({page, x, y, text, font});
    }
    void drawLine(double x1, double y1, double x2, double y2) override {
        lines.push_back({page, x1, y1, x2, y2});
    }
    int pageNumber() const override { return page; }
    void newPage() override { ++page; }
    void endDocument() override { ++ends; }

    const Text* find(const std::string& text) const {
        for (const auto& entry : texts)
            if (entry.text == text) return &entry;
        return nullptr;
    }
    std::vector<std::string> textsOnPage(int onPage) const {
        std::vector<std::string> result;
        for (const auto& entry : texts)
            if (entry.page == onPage) result.push_back(entry.text);
        return result;
    }

    double height;
    ReportFont font;
    std::vector<Text> texts;
    std::vector<Line> lines;
    int page = 1;
    int ends = 0;
};

} // namespace quelby::test
