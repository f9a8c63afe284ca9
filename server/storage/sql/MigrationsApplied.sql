SELECT version FROM schema_migrations ORDER BY version
