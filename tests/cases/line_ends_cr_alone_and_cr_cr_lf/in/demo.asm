;* Doc.Foo PROC;* Gap.
Bar PROCBaz PROC