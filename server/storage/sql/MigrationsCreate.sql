CREATE TABLE IF NOT EXISTS schema_migrations (
    version     INTEGER NOT NULL PRIMARY KEY,
    name        VARCHAR(100) NOT NULL,
    applied_at  VARCHAR(19) NOT NULL
)
