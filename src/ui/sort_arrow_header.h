#pragma once
// A list header that shows a sort arrow image right after the text of one
// column. The arrow is an image of the list's own (the window chooses the
// pictures); the header only draws it.

#include <QHeaderView>
#include <QIcon>

namespace qv::ui {

class SortArrowHeader : public QHeaderView {
  public:
    explicit SortArrowHeader(QWidget* parent = nullptr);

    // Shows the image on the column (0-based); every other column shows its
    // text only. A null image or a column of −1 shows no arrow at all.
    void SetArrow(int column, const QIcon& image);
    int ArrowColumn() const { return arrowColumn_; }
    const QIcon& ArrowImage() const { return arrowImage_; }

    // The side of the square the arrow is drawn in.
    int ArrowExtent() const;

  protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

  private:
    QRect ArrowRect(const QRect& section, int logicalIndex) const;

    int arrowColumn_ = -1;
    QIcon arrowImage_;
};

}  // namespace qv::ui
