#pragma once

class SqlConnection;

// A large plant for benchmarks and for trying the program at scale: by default 100,000 devices,
// 300,000 next-service rows and 1,000,000 log rows (400,000 edits, 300,000 moves, 300,000 service
// changes), with the demonstration plant's reference data, kits, malfunctions and labour figures.
// One transaction; deterministic for a given today.
namespace BigPlantDatabase {

struct Size {
    int devices = 100000;
    int nextServicesPerDevice = 3;
    int logRows = 1000000;
};

void fill(SqlConnection& connection, const Size& size = {});

} // namespace BigPlantDatabase
