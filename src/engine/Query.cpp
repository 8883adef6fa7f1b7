#include "engine/DataSet.h"

#include "engine/ErrorCodes.h"
#include "engine/detail/DataSetImpl.h"

namespace engine {

struct Query::QueryData
{
};

Query::Query(QObject* parent) : DataSet(parent), q(std::make_unique<QueryData>()) {}

Query::~Query()
{
    blockSignals(true);
    close();
}

void Query::open()
{
    throw zr::EngineError(QStringLiteral("Queries are not available yet."), help::Internal);
}

void Query::close()
{
    endClose();
}

} // namespace engine
