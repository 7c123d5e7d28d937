// What the location list and its add panels need from the one who keeps the monitored places:
// the list itself, the place database, where to put a sheet, and how to make a row current. The
// application controller answers it; the list never reaches for the controller itself.
// Main thread only.
#pragma once

#include "weather/OVWeatherController.h"

#include <memory>

class NBAlertService;
class NBTableView;
class OVLocationDB;
class QListView;
class QWidget;

class NBLocationListHost
{
public:
    virtual ~NBLocationListHost() = default;

    virtual OVWeatherLocationList monitoredLocations() const = 0;
    /// Replaces the list; the host hands it on to the weather data and the list view.
    virtual void setMonitoredLocations(const OVWeatherLocationList &locations) = 0;
    /// Selects `row` of the list and makes its place current; a row outside does nothing.
    virtual void selectLocationRow(int row) = 0;
    /// The clicked row's place, else the selected row's, else none becomes current.
    virtual void setCurrentLocationFromTable(NBTableView *table) = 0;
    /// Null when there is none.
    virtual std::shared_ptr<OVLocationDB> locationDatabase() const = 0;
    virtual NBAlertService &alerts() const = 0;
    /// The window the add panels open over; null before it is built.
    virtual QWidget *sheetParent() const = 0;
    /// The list view that shows the places; null before the window is built.
    virtual QListView *locationTable() const = 0;
};
