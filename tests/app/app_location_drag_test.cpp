// Reordering the location list by drag, through the list model's drag data and drop, with
// built drag data: where the moved place lands, and which drops are refused.
#include "AppControllerFixture.h"
#include "ViewTestSupport.h"

#include <QListView>
#include <QMimeData>

namespace {

class LocationDragTest : public AppControllerTest
{
protected:
    void SetUp() override
    {
        QVariantList saved;
        for (const char *city : {"A", "B", "C", "D"}) {
            QVariantMap place = denverDictionary();
            place[QStringLiteral("city")] = QString::fromLatin1(city);
            saved.append(place);
        }
        saveLocations(saved);
        launch();
    }

    bool drop(const QByteArray &text, int row, const QModelIndex &parent = QModelIndex())
    {
        QMimeData data;
        data.setData(QStringLiteral("zipcodeType"), text);
        NBLocationController *model = controller->locationController();
        if (!model->canDropMimeData(&data, Qt::CopyAction, row, 0, parent))
            return false;
        return model->dropMimeData(&data, Qt::CopyAction, row, 0, parent);
    }

    int selected() const { return controller->window()->locationTable()->selectionModel()->selectedRows().value(0).row(); }
    QString current() const { return OVWeatherController::sharedWeatherController().currentLocation()->city(); }
};

} // namespace

TEST_F(LocationDragTest, TheDraggedRowTravelsAsItsIndex)
{
    NBLocationController *model = controller->locationController();
    std::unique_ptr<QMimeData> data(model->mimeData({model->index(2), model->index(3)}));
    ASSERT_TRUE(data);
    EXPECT_EQ(data->data(QStringLiteral("zipcodeType")), QByteArray("2"));
    EXPECT_EQ(model->mimeData({}), nullptr);
}

TEST_F(LocationDragTest, MovesLandBetweenRowsSelectedAndCurrent)
{
    ASSERT_TRUE(drop("0", 3));
    EXPECT_EQ(cities(), (QStringList{"B", "C", "A", "D"}));
    EXPECT_EQ(selected(), 2);
    EXPECT_EQ(current(), QStringLiteral("A"));

    ASSERT_TRUE(drop("3", 0));
    EXPECT_EQ(cities(), (QStringList{"D", "B", "C", "A"}));
    EXPECT_EQ(selected(), 0);
    EXPECT_EQ(current(), QStringLiteral("D"));

    ASSERT_TRUE(drop("1", 4));
    EXPECT_EQ(cities(), (QStringList{"D", "C", "A", "B"}));
}

TEST_F(LocationDragTest, MalformedDropsAreRefused)
{
    struct Row
    {
        const char *name;
        QByteArray text;
        int row;
        bool ontoRow;
    };
    const Row rows[] = {
        {"onto a row", "0", -1, true}, {"row beyond the gap below", "0", 5, false}, {"source = count", "4", 1, false},
        {"negative source", "-1", 1, false}, {"not a number", "x", 1, false}, {"number then text", "3x", 1, false},
        {"empty", "", 1, false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const QModelIndex parent = row.ontoRow ? controller->locationController()->index(1) : QModelIndex();
        EXPECT_FALSE(drop(row.text, row.row, parent));
        EXPECT_EQ(cities(), (QStringList{"A", "B", "C", "D"}));
    }
}
