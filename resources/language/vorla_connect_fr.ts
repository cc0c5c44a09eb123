<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr">
<context>
    <name>QPlatformTheme</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
</context>
<context>
    <name>QFileDialog</name>
    <message>
        <source>Open</source>
        <translation>Ouvrir</translation>
    </message>
    <message>
        <source>Look in:</source>
        <translation>Regarder dans :</translation>
    </message>
    <message>
        <source>File name:</source>
        <translation>Nom de fichier :</translation>
    </message>
    <message>
        <source>Files of type:</source>
        <translation>Type de fichier :</translation>
    </message>
</context>
<context>
    <name>scanning_progress_fm_c</name>
    <message>
        <source>Cancelling...</source>
        <translation>Annulation...</translation>
    </message>
</context>
</TS>
