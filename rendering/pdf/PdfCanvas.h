#pragma once
// The canvas that draws on the document's current page. Here it only knows
// its page and the page's content stream; drawing and fonts build on that.
#include "rendering/pdf/PdfObjects.h"

class TPdfPage;

class TPdfCanvas {
public:
    explicit TPdfCanvas(TPdfDocument &document) : doc_(document) {}
    virtual ~TPdfCanvas() = default;
    TPdfCanvas(const TPdfCanvas &) = delete;
    TPdfCanvas &operator=(const TPdfCanvas &) = delete;

    // Points the canvas at a page (nullptr: none, as after a new document).
    virtual void SetPage(TPdfPage *page);
    TPdfPage *Page() const { return page_; }
    // The page's "Contents" stream, nullptr without a page.
    TPdfStream *Contents() const { return contents_; }
    TPdfDocument &Document() const { return doc_; }

private:
    TPdfDocument &doc_;
    TPdfPage *page_ = nullptr;
    TPdfStream *contents_ = nullptr;
};
