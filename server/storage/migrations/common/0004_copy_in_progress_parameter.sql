-- IDCOTCONCLUI: 'S' when a buyer works on one quotation in progress per validity, so the
-- quotation copy warns before copying onto a validity where the buyer already has one in
-- progress (the copy refuses those quotations and lists them).  Branches with
-- parameters get 'S'.
ALTER TABLE PARASUPRI ADD COLUMN IDCOTCONCLUI CHAR(1) NOT NULL DEFAULT 'S';
