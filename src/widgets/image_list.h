#pragma once

#include <QIcon>
#include <QObject>

#include <array>
#include <vector>

// The toolbar's image list: six keyed 24 x 24 navigation images.
class ImageList : public QObject {
    Q_OBJECT
public:
    explicit ImageList(QObject* parent = nullptr);

    // The images' keys in their order, which the toolbar's buttons carry too.
    static constexpr std::array<const char*, 6> kKeys{"Back",    "Forward", "Stop",
                                                      "Refresh", "Home",    "Search"};
    static constexpr int kImageSize = 24;
    int count() const { return static_cast<int>(icons_.size()); }
    // 1-based, as the toolbar buttons refer to them.
    QIcon image(int index) const { return icons_.at(static_cast<size_t>(index - 1)); }

private:
    std::vector<QIcon> icons_;
};
