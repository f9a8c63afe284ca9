# The package's SQL texts and what runs one of them on a connection (QtCore and QtSql only):
# the query component runs them on the session's database in direct mode, the application
# server on its own database for look-ups through the server.
add_library(SupQueryCore SHARED
    ${CMAKE_CURRENT_LIST_DIR}/SqlTexts.h ${CMAKE_CURRENT_LIST_DIR}/SqlTexts.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SqlTextRunner.h ${CMAKE_CURRENT_LIST_DIR}/SqlTextRunner.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SqliteFunctions.h ${CMAKE_CURRENT_LIST_DIR}/SqliteFunctions.cpp
)
target_include_directories(SupQueryCore PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(SupQueryCore
    PUBLIC SupPlatformData SupResources Qt6::Core Qt6::Sql
    PRIVATE PkgConfig::SQLITE3)
