Delete * from [rday] where Year(date_time) = 2010 -- old
