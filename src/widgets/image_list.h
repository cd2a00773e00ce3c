#pragma once

#include <QIcon>
#include <QObject>
#include <QString>
#include <QStringList>

#include <vector>

// The toolbar's image list: six keyed 24 x 24 navigation images.
class ImageList : public QObject {
    Q_OBJECT
public:
    explicit ImageList(QObject* parent = nullptr);

    static constexpr int kImageSize = 24;
    int count() const { return static_cast<int>(icons_.size()); }
    // 1-based, as the toolbar buttons refer to them.
    QIcon image(int index) const { return icons_.at(static_cast<size_t>(index - 1)); }
    const QStringList& keys() const { return keys_; }

private:
    QStringList keys_;
    std::vector<QIcon> icons_;
};
