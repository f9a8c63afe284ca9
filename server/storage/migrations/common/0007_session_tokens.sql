-- Session tokens.  A client that logged in with its password receives a random token and
-- presents it instead of the password when it connects again (after a lost connection or
-- a restarted server), so that it need not keep the password.  Only a hash of the token is
-- stored; the table lives in the database so that every server on it accepts the token.
-- A token is refused once it has not been used for the configured idle time, and deleted
-- at logout.
CREATE TABLE SESSAOTOKEN (
    DSHASHTOKEN     VARCHAR(64)  NOT NULL PRIMARY KEY,
    CDOPERADOR      VARCHAR(12)  NOT NULL REFERENCES OPERADOR (CDOPERADOR) ON DELETE CASCADE,
    CDFILIAL        VARCHAR(4)   NOT NULL,
    DSCLIENTE       VARCHAR(80),
    DTHREMISSAO     TIMESTAMP    NOT NULL,
    DTHRULTUSO      TIMESTAMP    NOT NULL
);
CREATE INDEX SESSAOTOKEN_ULTUSO ON SESSAOTOKEN (DTHRULTUSO);
