#include "data/BigPlantDatabase.h"

#include "data/DatabaseError.h"
#include "data/PlantCatalogue.h"
#include "data/PlantGenerator.h"
#include "data/SqlConnection.h"

#include <algorithm>

namespace {
constexpr quint32 kSeed = 7100003;
}

void BigPlantDatabase::fill(SqlConnection& connection, const Size& size)
{
    if (size.devices < 0 || size.nextServicesPerDevice < 1 || size.nextServicesPerDevice > 3 || size.logRows < 0)
        throw DatabaseError(QStringLiteral("Неверный размер предприятия: устройств %1, обслуживаний на устройство %2 "
                                           "(от 1 до 3), строк журналов %3.")
                                .arg(size.devices)
                                .arg(size.nextServicesPerDevice)
                                .arg(size.logRows));
    PlantSize plant;
    plant.devices = size.devices;
    plant.servicesPerDevice = size.nextServicesPerDevice;
    // Every device has its "added" row; the rest of the edit log, the moves and the service changes
    // share what is left.
    plant.editLogRows = std::max(size.devices, size.logRows * 2 / 5);
    plant.moveLogRows = std::max(0, (size.logRows - plant.editLogRows) / 2);
    plant.serviceLogRows = std::max(0, size.logRows - plant.editLogRows - plant.moveLogRows);
    plant.kits = size.devices / 100;
    plant.malfunctions = size.devices / 20;

    connection.begin();
    try {
        const PlantCatalogue catalogue = PlantCatalogue::write(connection);
        PlantGenerator generator(connection, catalogue, kSeed);
        generator.write(plant);
        catalogue.writeLabour(connection);
        connection.commit();
    } catch (...) {
        connection.rollback();
        throw;
    }
}
